#pragma once

#include "platform/loop/loop_time.h"
#include "platform/loop/tick_schedule.h"

#include <cstdint>
#include <optional>

namespace keyweave::sim {

// Virtual time in whole milliseconds from 0. The timers of the tick schedule run on it: a
// timer started at time t with period p ticks at t + p, t + 2p, ... as the clock passes those
// deadlines.
class SimClock {
public:
    explicit SimClock(TickSchedule& ticks) : ticks_(ticks) {}

    std::int64_t Now() const { return now_; }
    LoopTime LoopNow() const { return LoopTime(std::chrono::milliseconds(now_)); }

    // Walks the clock forward by `ms` (nothing for a negative value), firing every tick whose
    // deadline it reaches on the way, at that deadline.
    void Advance(std::int64_t ms);

    // The earliest deadline of a running timer, if any runs, in whole milliseconds.
    std::optional<std::int64_t> NextDeadline() const;

private:
    TickSchedule& ticks_;
    std::int64_t now_ = 0;
};

// Whole milliseconds of the loop's clock, rounded up: the first virtual millisecond at or
// after it.
std::int64_t CeilMs(LoopTime time);

} // namespace keyweave::sim
