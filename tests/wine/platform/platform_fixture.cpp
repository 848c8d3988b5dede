#include "platform_fixture.h"

namespace keyweave::win32::test {

Win32Platform& ThePlatform() {
    static Win32Platform* platform = [] {
        PrepareProcess();
        return new Win32Platform();
    }();
    return *platform;
}

FocusWindow::FocusWindow() {
    static const bool registered = [] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"KeyweaveFocusWindow";
        return RegisterClassW(&windowClass) != 0;
    }();
    static_cast<void>(registered);
    handle_ =
        CreateWindowExW(0, L"KeyweaveFocusWindow", L"Focus", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20,
                        20, 200, 150, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(handle_);
    SetFocus(handle_);
    PumpUntil([this] { return GetForegroundWindow() == handle_; }, 2000);
    // Wine releases the keys it pressed when one of its windows gains the X focus, which
    // comes a little after the window is in front.
    PumpFor(200);
}

FocusWindow::~FocusWindow() {
    DestroyWindow(handle_);
}

void PostTick(std::uint32_t id, std::uintptr_t user) {
    auto* log = reinterpret_cast<TickLog*>(user);
    log->handedOn.push_back(NowMs());
    ThePlatform().System().PostMainThreadCall([log, id] {
        if (id != log->id) {
            log->wrongId = true;
        }
        log->times.push_back(NowMs());
    });
}

void SettleKeyboard() {
    for (int round = 0; round < 2; ++round) {
        PumpFor(static_cast<int>(KeyChangeWatch::kRecheckMs) + 10);
        ThePlatform().Keyboard().HeldKeys();
    }
}

bool WaitForKeyState(int key, bool down) {
    return PumpUntil([&] { return ((GetAsyncKeyState(key) & 0x8000) != 0) == down; }, 500);
}

} // namespace keyweave::win32::test
