#pragma once

#include "platform/loop/loop_time.h"
#include "platform/timer_source.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <vector>

namespace keyweave {

// The ticks of the running timers, on the loop's clock. A timer ticks every period counted
// from its start, so that its ticks never drift; one that has fallen more than kMaxCatchUp
// behind (the system was suspended, say) skips the ticks it missed rather than firing them all
// at once. Any thread may start, kill and fire timers: the main thread's pause fires the ticks
// due at its wake-up itself, a platform's timer thread those due while the main thread is
// busy, and each tick fires once, on whichever comes first. A tick's callback runs with the
// schedule locked, so that once Kill returns its timer's callback is not running and will not
// run again; a callback must not start or kill timers.
class TickSchedule {
public:
    static constexpr LoopDuration kMaxCatchUp = std::chrono::seconds(1);

    // A new timer whose first tick falls due one period after `start`; its id is the smallest
    // that no running timer has, never 0, so an id comes back into use after Kill as it may on
    // a real system.
    std::uint32_t Start(LoopDuration period, LoopTime start, TickCallback onTick,
                        std::uintptr_t user);
    void Kill(std::uint32_t id);

    // When the next tick falls due; none while no timer runs.
    std::optional<LoopTime> Earliest();

    // Fires every tick due by `now`, earliest first, ties by id.
    void FireDue(LoopTime now);

    int RunningCount();

private:
    struct Timer {
        std::uint32_t id;
        LoopDuration period;
        LoopTime deadline;
        TickCallback onTick;
        std::uintptr_t user;
    };

    // A lock that every thread model has: the schedule is held only for a few instructions,
    // or while a tick's callback posts its call.
    class Locked {
    public:
        explicit Locked(std::atomic_flag& flag);
        ~Locked();
        Locked(const Locked&) = delete;
        Locked& operator=(const Locked&) = delete;

    private:
        std::atomic_flag& flag_;
    };

    std::vector<Timer>::iterator EarliestTimer();
    std::uint32_t FreeId() const;

    std::atomic_flag lock_ = ATOMIC_FLAG_INIT;
    std::vector<Timer> timers_;
};

} // namespace keyweave
