#pragma once

#include "platform/loop/loop_timers.h"
#include "platform/loop/tick_schedule.h"

#include <atomic>
#include <map>
#include <windows.h>

namespace keyweave::win32 {

// The ticks that fall due while the main thread is busy (in a turn, or in a message box's
// loop): a multimedia timer (timeSetEvent) for each of the loop's timers wakes the system's
// timer thread every period, which fires the ticks that are due. The main thread's pause fires
// those it wakes for itself: while it does, the timer thread leaves them to it. A multimedia
// timer may call up to a millisecond early, since it counts whole milliseconds: a tick is never
// fired before its deadline.
class Win32TimerWakes final : public LoopTimers::Listener {
public:
    explicit Win32TimerWakes(TickSchedule& ticks);
    ~Win32TimerWakes() override;
    Win32TimerWakes(const Win32TimerWakes&) = delete;
    Win32TimerWakes& operator=(const Win32TimerWakes&) = delete;

    bool Started(std::uint32_t id, LoopDuration period) override;
    void Killed(std::uint32_t id) override;

    // Set while the main thread's pause sleeps until the earliest deadline to fire that tick
    // itself: the timer thread then fires nothing. A tick that it fired first would reach the
    // main thread as a posted message, one more for the pump to take out of the queue.
    void SetPauseWakesForTick(bool wakes) { pauseWakes_.store(wakes, std::memory_order_release); }

private:
    static void CALLBACK OnTimer(UINT id, UINT, DWORD_PTR self, DWORD_PTR, DWORD_PTR);

    TickSchedule& ticks_;
    // Keeps the system's timer thread between two waits; 0 if the system refused it.
    UINT keepAlive_;
    std::atomic<bool> pauseWakes_{false};
    // The multimedia timer of each of the loop's timers.
    std::map<std::uint32_t, UINT> wakes_;
};

} // namespace keyweave::win32
