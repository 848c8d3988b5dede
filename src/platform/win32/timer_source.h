#pragma once

#include "platform/timer_source.h"

#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <windows.h>

namespace keyweave::win32 {

// Periodic timers whose ticks fall due every period counted from the start, on the performance
// counter. A multimedia timer (timeSetEvent) wakes the system's timer thread, which hands on
// the ticks that are due; the main thread's pause wakes at the next deadline and hands on the
// ticks itself (FireDue), which spares it the wake-up by another thread. Each tick is handed on
// once, by whichever thread comes first, and never before its deadline: a multimedia timer
// may call up to a millisecond early, since it counts whole milliseconds.
class Win32TimerSource final : public TimerSource {
public:
    Win32TimerSource();
    ~Win32TimerSource() override;
    Win32TimerSource(const Win32TimerSource&) = delete;
    Win32TimerSource& operator=(const Win32TimerSource&) = delete;

    std::uint32_t StartPeriodic(std::uint32_t periodMs, TickCallback onTick,
                                std::uintptr_t user) override;
    void Kill(std::uint32_t id) override;

    // When the next tick of a running timer is due (performance counter milliseconds); none
    // while no timer runs. Main thread only, as are the rest.
    std::optional<double> EarliestDeadline();

    // Hands on every tick that is due by `nowMs` and has not been handed on yet.
    void FireDue(double nowMs);

    // Set while the main thread's pause sleeps until the earliest deadline to hand on that tick
    // itself: the timer thread then hands on nothing. A tick that it handed on first would
    // reach the main thread as a posted message, one more for the pump to take out of the queue.
    void SetPauseWakesForTick(bool wakes) { pauseWakes_.store(wakes, std::memory_order_release); }

    // The main loop's turn began at `nowMs`, as its pause ended. A timer started in the turn's
    // first kTurnStartReachMs counts its period from then, so that a wait lasts between two
    // commands as long as the script says: under Wine the turn's pump alone takes a tenth of
    // a millisecond before the command that starts the timer.
    void TurnBegan(double nowMs) { turnBeganMs_ = nowMs; }
    static constexpr double kTurnStartReachMs = 1;

    struct Tick {
        TickCallback onTick;
        std::uintptr_t user;
        double startMs;
        double periodMs;
        CRITICAL_SECTION* lock;
        const std::atomic<bool>* pauseWakes;
        std::uint64_t handedOn = 0; // under `lock`
    };

private:
    // Keeps the system's timer thread between two waits; 0 if the system refused it.
    UINT keepAlive_;
    CRITICAL_SECTION lock_;
    std::atomic<bool> pauseWakes_{false};
    double turnBeganMs_ = -kTurnStartReachMs - 1;
    // What each running timer calls; read by the timer thread until the timer is killed.
    std::map<std::uint32_t, std::unique_ptr<Tick>> running_;
};

} // namespace keyweave::win32
