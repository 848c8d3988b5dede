#include "platform/win32/raw_input_sink.h"

#include "platform/win32/extended_keys.h"
#include "platform/win32/message_only_window.h"

namespace keyweave::win32 {

namespace {

const wchar_t* const kSinkClass = L"KeyweaveRawInput";
constexpr USHORT kGenericDesktopPage = 1;
constexpr USHORT kMouseUsage = 2;
constexpr USHORT kKeyboardUsage = 6;

bool Register(USHORT usage, HWND window) {
    const RAWINPUTDEVICE device{kGenericDesktopPage, usage, RIDEV_INPUTSINK, window};
    return RegisterRawInputDevices(&device, 1, sizeof(device)) != FALSE;
}

void Remove(USHORT usage) {
    const RAWINPUTDEVICE device{kGenericDesktopPage, usage, RIDEV_REMOVE, nullptr};
    RegisterRawInputDevices(&device, 1, sizeof(device));
}

} // namespace

// A Shift sent without a scan code (keybd_event with 0) has only its virtual key to tell its side
// by, and the side-neutral one stands for the left Shift, as in Wine's key state.
int WatchedKeyCode(const RAWKEYBOARD& key) {
    // 255 is no key: the keyboard's fake keys and its overrun.
    if (key.VKey >= 255) {
        return 0;
    }
    const int code = SidedKeyCode(key.VKey, key.MakeCode, (key.Flags & RI_KEY_E0) != 0);
    return code == VK_SHIFT ? VK_LSHIFT : code;
}

RawInputSink::RawInputSink() {
    HWND window = CreateMessageOnlyWindow(kSinkClass, Procedure);
    if (window == nullptr) {
        return;
    }
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    if (!Register(kKeyboardUsage, window)) {
        DestroyWindow(window);
        return;
    }
    window_ = window;
}

RawInputSink::~RawInputSink() {
    if (window_ != nullptr) {
        Remove(kMouseUsage);
        Remove(kKeyboardUsage);
        DestroyWindow(window_);
    }
}

bool RawInputSink::ReceiveMouse(bool receive) {
    if (!Active()) {
        return false;
    }
    if (!receive) {
        Remove(kMouseUsage);
        return true;
    }
    return Register(kMouseUsage, window_);
}

void RawInputSink::ReadQueuedReports() {
    MSG message;
    while (Active() && PeekMessageW(&message, window_, WM_INPUT, WM_INPUT, PM_REMOVE)) {
        DispatchMessageW(&message);
    }
}

bool RawInputSink::ReportsQueued() {
    return (HIWORD(GetQueueStatus(QS_RAWINPUT)) & QS_RAWINPUT) != 0;
}

LRESULT CALLBACK RawInputSink::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const auto* sink =
        reinterpret_cast<const RawInputSink*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_INPUT && sink != nullptr) {
        sink->Hand(lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RawInputSink::Hand(LPARAM input) const {
    RAWINPUT report{};
    UINT size = sizeof(report);
    const bool read = GetRawInputData(reinterpret_cast<HRAWINPUT>(input), RID_INPUT, &report, &size,
                                      sizeof(RAWINPUTHEADER)) != static_cast<UINT>(-1);
    for (Reader* reader : readers_) {
        reader->Read(read ? &report : nullptr);
    }
}

} // namespace keyweave::win32
