#pragma once

#include "platform/win32/win32_platform.h"

#include <windows.h>

namespace keyweave::win32::test {

// The process's one platform, made on first use (the program's own start-up does the same).
Win32Platform& ThePlatform();

double NowMs();

// Pumps the main thread's messages until `condition` holds or `timeoutMs` has passed; returns
// whether it held.
template <typename Condition> bool PumpUntil(Condition condition, int timeoutMs) {
    const double deadline = NowMs() + timeoutMs;
    while (!condition()) {
        if (NowMs() > deadline) {
            return false;
        }
        ThePlatform().System().Poll();
        Sleep(1);
    }
    return true;
}

inline void PumpFor(int ms) {
    PumpUntil([] { return false; }, ms);
}

// A plain top-level window of this thread that has the focus, for keys to arrive in.
class FocusWindow {
public:
    FocusWindow();
    ~FocusWindow();
    FocusWindow(const FocusWindow&) = delete;
    FocusWindow& operator=(const FocusWindow&) = delete;
    HWND Handle() const { return handle_; }

private:
    HWND handle_;
};

// Waits until the system-wide state of `key` is `down`. Wine answers "up" from a cache for up
// to 50 ms after a press.
bool WaitForKeyState(int key, bool down);

} // namespace keyweave::win32::test
