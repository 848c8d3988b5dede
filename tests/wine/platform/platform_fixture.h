#pragma once

#include "platform/win32/performance_clock.h"
#include "platform/win32/win32_platform.h"

#include <vector>
#include <windows.h>

namespace keyweave::win32::test {

// The process's one platform, made on first use (the program's own start-up does the same).
Win32Platform& ThePlatform();

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

struct TickLog {
    std::uint32_t id = 0;
    std::vector<double> handedOn; // when each tick was handed on, on whichever thread
    std::vector<double> times;    // when each tick ran on the main thread
    bool wrongId = false;
};

// As the runtime does it: the tick only hands a call over to the main thread. `user` is the
// TickLog.
void PostTick(std::uint32_t id, std::uintptr_t user);

// How long `pause` lasts while `other` runs on a thread of its own.
template <typename Pause> double LastsWhile(LPTHREAD_START_ROUTINE other, Pause pause) {
    HANDLE thread = CreateThread(nullptr, 0, other, nullptr, 0, nullptr);
    const double start = NowMs();
    pause();
    const double lasted = NowMs() - start;
    WaitForSingleObject(thread, 5000);
    CloseHandle(thread);
    return lasted;
}

// Pumps and polls until the poll has seen every key change, and has looked again once more.
void SettleKeyboard();

// Waits until the system-wide state of `key` is `down`. Wine answers "up" from a cache for up
// to 50 ms after a press.
bool WaitForKeyState(int key, bool down);

} // namespace keyweave::win32::test
