#include "platform/sim/sim_clock.h"

namespace keyweave::sim {

std::int64_t CeilMs(LoopTime time) {
    return std::chrono::ceil<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

void SimClock::Advance(std::int64_t ms) {
    if (ms <= 0) {
        return;
    }
    const std::int64_t target = now_ + ms;
    for (auto due = NextDeadline(); due && *due <= target; due = NextDeadline()) {
        now_ = *due;
        ticks_.FireDue(LoopNow());
    }
    now_ = target;
}

std::optional<std::int64_t> SimClock::NextDeadline() const {
    const std::optional<LoopTime> earliest = ticks_.Earliest();
    return earliest ? std::optional(CeilMs(*earliest)) : std::nullopt;
}

} // namespace keyweave::sim
