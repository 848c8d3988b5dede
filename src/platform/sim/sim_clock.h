#pragma once

#include "platform/timer_source.h"

#include <cstdint>
#include <map>
#include <optional>

namespace keyweave::sim {

// Virtual time in whole milliseconds from 0, and the periodic timers that run on it. A timer
// started at time t with period p calls its callback at t + p, t + 2p, ... as the clock passes
// those deadlines.
class SimClock final : public TimerSource {
public:
    std::int64_t Now() const { return now_; }

    // Walks the clock forward by `ms` (nothing for a negative value), calling every timer whose
    // deadline is reached on the way at that deadline: in deadline order, ties by timer id.
    void Advance(std::int64_t ms);

    // The earliest deadline of a running timer, if any runs.
    std::optional<std::int64_t> NextDeadline() const;

    int RunningCount() const { return static_cast<int>(timers_.size()); }

    // Refuses a period of 0 or above kMaxTimerPeriodMs. Ids are the smallest free positive
    // numbers, so an id comes back into use after Kill, as it may on a real system.
    std::uint32_t StartPeriodic(std::uint32_t periodMs, TickCallback onTick,
                                std::uintptr_t user) override;
    void Kill(std::uint32_t id) override;

private:
    struct PeriodicTimer {
        std::uint32_t periodMs;
        std::int64_t deadline;
        TickCallback onTick;
        std::uintptr_t user;
    };

    std::map<std::uint32_t, PeriodicTimer>::iterator EarliestDue(std::int64_t limit);
    std::uint32_t FreeId() const;

    std::int64_t now_ = 0;
    std::map<std::uint32_t, PeriodicTimer> timers_;
};

} // namespace keyweave::sim
