#pragma once

#include "platform/timer_source.h"

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

    struct Tick {
        TickCallback onTick;
        std::uintptr_t user;
        double startMs;
        double periodMs;
        CRITICAL_SECTION* lock;
        std::uint64_t handedOn = 0; // under `lock`
    };

private:
    // Keeps the system's timer thread between two waits; 0 if the system refused it.
    UINT keepAlive_;
    CRITICAL_SECTION lock_;
    // What each running timer calls; read by the timer thread until the timer is killed.
    std::map<std::uint32_t, std::unique_ptr<Tick>> running_;
};

} // namespace keyweave::win32
