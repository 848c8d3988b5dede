#include "platform/loop/tick_schedule.h"

#include <algorithm>

namespace keyweave {

TickSchedule::Locked::Locked(std::atomic_flag& flag) : flag_(flag) {
    while (flag_.test_and_set(std::memory_order_acquire)) {
    }
}

TickSchedule::Locked::~Locked() {
    flag_.clear(std::memory_order_release);
}

std::uint32_t TickSchedule::Start(LoopDuration period, LoopTime start, TickCallback onTick,
                                  std::uintptr_t user) {
    Locked locked(lock_);
    const std::uint32_t id = FreeId();
    timers_.push_back({id, period, start + period, onTick, user});
    return id;
}

void TickSchedule::Kill(std::uint32_t id) {
    Locked locked(lock_);
    std::erase_if(timers_, [id](const Timer& timer) { return timer.id == id; });
}

std::optional<LoopTime> TickSchedule::Earliest() {
    Locked locked(lock_);
    const auto earliest = EarliestTimer();
    return earliest == timers_.end() ? std::nullopt : std::optional(earliest->deadline);
}

void TickSchedule::FireDue(LoopTime now) {
    Locked locked(lock_);
    for (auto due = EarliestTimer(); due != timers_.end() && due->deadline <= now;
         due = EarliestTimer()) {
        const LoopTime next = due->deadline + due->period;
        due->deadline = now - next > kMaxCatchUp ? now + due->period : next;
        due->onTick(due->id, due->user);
    }
}

int TickSchedule::RunningCount() {
    Locked locked(lock_);
    return static_cast<int>(timers_.size());
}

std::vector<TickSchedule::Timer>::iterator TickSchedule::EarliestTimer() {
    return std::min_element(timers_.begin(), timers_.end(), [](const Timer& a, const Timer& b) {
        return a.deadline < b.deadline || (a.deadline == b.deadline && a.id < b.id);
    });
}

std::uint32_t TickSchedule::FreeId() const {
    std::uint32_t id = 1;
    while (std::any_of(timers_.begin(), timers_.end(),
                       [id](const Timer& timer) { return timer.id == id; })) {
        ++id;
    }
    return id;
}

} // namespace keyweave
