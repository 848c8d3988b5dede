#include "platform/win32/key_change_watch.h"

namespace keyweave::win32 {

namespace {

const wchar_t* const kWatchClass = L"KeyweaveKeyWatch";
constexpr USHORT kGenericDesktopPage = 1;
constexpr USHORT kKeyboardUsage = 6;

// The codes whose state a raw key report may have changed. A modifier comes with its
// side-neutral code, which stands for its left and right keys as well.
KeySet CodesOfReport(USHORT key) {
    KeySet codes;
    codes.set(key);
    if (key == VK_SHIFT) {
        codes.set(VK_LSHIFT).set(VK_RSHIFT);
    } else if (key == VK_CONTROL) {
        codes.set(VK_LCONTROL).set(VK_RCONTROL);
    } else if (key == VK_MENU) {
        codes.set(VK_LMENU).set(VK_RMENU);
    }
    return codes;
}

bool RawInputQueued() {
    return (HIWORD(GetQueueStatus(QS_RAWINPUT)) & QS_RAWINPUT) != 0;
}

} // namespace

KeyChangeWatch::KeyChangeWatch() {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWatchClass;
        return RegisterClassW(&windowClass) != 0;
    }();
    static_cast<void>(registered);
    // A message-only window: it is never shown and receives no broadcasts.
    HWND window = CreateWindowExW(0, kWatchClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) {
        return;
    }
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    const RAWINPUTDEVICE keyboard{kGenericDesktopPage, kKeyboardUsage, RIDEV_INPUTSINK, window};
    if (!RegisterRawInputDevices(&keyboard, 1, sizeof(keyboard))) {
        DestroyWindow(window);
        return;
    }
    window_ = window;
}

KeyChangeWatch::~KeyChangeWatch() {
    if (window_ != nullptr) {
        const RAWINPUTDEVICE keyboard{kGenericDesktopPage, kKeyboardUsage, RIDEV_REMOVE, nullptr};
        RegisterRawInputDevices(&keyboard, 1, sizeof(keyboard));
        DestroyWindow(window_);
    }
}

LRESULT CALLBACK KeyChangeWatch::Procedure(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    auto* watch = reinterpret_cast<KeyChangeWatch*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_INPUT && watch != nullptr) {
        watch->Report(lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// A report that cannot be read, or that names no key, makes the next poll ask every key.
void KeyChangeWatch::Report(LPARAM input) {
    RAWINPUT raw{};
    UINT size = sizeof(raw);
    if (GetRawInputData(reinterpret_cast<HRAWINPUT>(input), RID_INPUT, &raw, &size,
                        sizeof(RAWINPUTHEADER)) == static_cast<UINT>(-1) ||
        raw.header.dwType != RIM_TYPEKEYBOARD) {
        askAll_ = true;
        return;
    }
    const USHORT key = raw.data.keyboard.VKey;
    if (key == 0 || key >= 255) {
        askAll_ = true;
    } else {
        reported_ |= CodesOfReport(key);
    }
}

// Reports still in the queue are not read here: they make the poll ask every key.
KeySet KeyChangeWatch::KeysToAsk(const KeySet& wanted, double nowMs) {
    if (!Active()) {
        return wanted;
    }
    const bool queued = RawInputQueued();
    const bool recheckDue = recheckAt_ && nowMs >= *recheckAt_;
    const KeySet ask = askAll_ || queued || recheckDue ? wanted : reported_ & wanted;
    if (recheckDue) {
        recheckAt_.reset();
    }
    if ((askAll_ || queued || reported_.any()) && !recheckAt_) {
        recheckAt_ = nowMs + kRecheckMs;
    }
    reported_.reset();
    askAll_ = false;
    return ask;
}

bool KeyChangeWatch::ChangeWaiting() const {
    return Active() && (askAll_ || reported_.any() || RawInputQueued());
}

} // namespace keyweave::win32
