#include "platform/sim/sim_clock.h"

namespace keyweave::sim {

void SimClock::Advance(std::int64_t ms) {
    if (ms <= 0) {
        return;
    }
    const std::int64_t target = now_ + ms;
    for (auto due = EarliestDue(target); due != timers_.end(); due = EarliestDue(target)) {
        now_ = due->second.deadline;
        due->second.deadline += due->second.periodMs;
        // Copied first: the callback may kill this timer or start others.
        const std::uint32_t id = due->first;
        const PeriodicTimer timer = due->second;
        timer.onTick(id, timer.user);
    }
    now_ = target;
}

std::optional<std::int64_t> SimClock::NextDeadline() const {
    std::optional<std::int64_t> earliest;
    for (const auto& [id, timer] : timers_) {
        if (!earliest || timer.deadline < *earliest) {
            earliest = timer.deadline;
        }
    }
    return earliest;
}

std::uint32_t SimClock::StartPeriodic(std::uint32_t periodMs, TickCallback onTick,
                                      std::uintptr_t user) {
    if (periodMs == 0 || periodMs > kMaxTimerPeriodMs || onTick == nullptr) {
        return 0;
    }
    const std::uint32_t id = FreeId();
    timers_[id] = PeriodicTimer{periodMs, now_ + periodMs, onTick, user};
    return id;
}

void SimClock::Kill(std::uint32_t id) {
    timers_.erase(id);
}

std::map<std::uint32_t, SimClock::PeriodicTimer>::iterator
SimClock::EarliestDue(std::int64_t limit) {
    auto earliest = timers_.end();
    for (auto timer = timers_.begin(); timer != timers_.end(); ++timer) {
        const bool due = timer->second.deadline <= limit;
        if (due &&
            (earliest == timers_.end() || timer->second.deadline < earliest->second.deadline)) {
            earliest = timer;
        }
    }
    return earliest;
}

std::uint32_t SimClock::FreeId() const {
    std::uint32_t id = 1;
    for (const auto& entry : timers_) {
        if (entry.first != id) {
            break;
        }
        ++id;
    }
    return id;
}

} // namespace keyweave::sim
