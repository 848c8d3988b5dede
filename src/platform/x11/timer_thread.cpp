#include "platform/x11/timer_thread.h"

#include "platform/x11/timer_slack.h"

#include <algorithm>

namespace keyweave::x11 {

TimerClock::time_point NextDeadline(TimerClock::time_point deadline,
                                    std::chrono::milliseconds period, TimerClock::time_point now) {
    TimerClock::time_point next = deadline + period;
    if (now - next > kMaxCatchUp) {
        return now + period;
    }
    return next;
}

TimerThread::TimerThread() : thread_([this] { Run(); }) {}

TimerThread::~TimerThread() {
    Shutdown();
}

void TimerThread::Shutdown() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        timers_.clear();
    }
    changed_.notify_all();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) {
        thread_.join();
    }
}

std::uint32_t TimerThread::StartPeriodic(std::uint32_t periodMs, TickCallback onTick,
                                         std::uintptr_t user) {
    if (periodMs == 0 || periodMs > kMaxTimerPeriodMs || onTick == nullptr) {
        return 0;
    }
    std::uint32_t id;
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return 0;
        }
        id = FreeId();
        std::chrono::milliseconds period(periodMs);
        timers_.push_back({id, period, TimerClock::now() + period, onTick, user});
    }
    changed_.notify_all();
    return id;
}

void TimerThread::Kill(std::uint32_t id) {
    std::lock_guard lock(mutex_);
    std::erase_if(timers_, [id](const Timer& timer) { return timer.id == id; });
}

std::uint32_t TimerThread::FreeId() {
    auto inUse = [this](std::uint32_t id) {
        return std::any_of(timers_.begin(), timers_.end(),
                           [id](const Timer& timer) { return timer.id == id; });
    };
    do {
        ++lastId_;
    } while (lastId_ == 0 || inUse(lastId_));
    return lastId_;
}

std::optional<TimerClock::time_point> TimerThread::EarliestDeadline() {
    std::lock_guard lock(mutex_);
    if (timers_.empty()) {
        return std::nullopt;
    }
    return Earliest()->deadline;
}

void TimerThread::FireDue() {
    std::lock_guard lock(mutex_);
    FireDueLocked(TimerClock::now());
}

std::vector<TimerThread::Timer>::iterator TimerThread::Earliest() {
    return std::min_element(timers_.begin(), timers_.end(),
                            [](const Timer& a, const Timer& b) { return a.deadline < b.deadline; });
}

void TimerThread::FireDueLocked(TimerClock::time_point now) {
    for (auto due = Earliest(); due != timers_.end() && due->deadline <= now; due = Earliest()) {
        due->deadline = NextDeadline(due->deadline, due->period, now);
        // Called with the lock held, so that Kill waits for a running callback to finish.
        due->onTick(due->id, due->user);
    }
}

void TimerThread::Run() {
    KeepTimersExact();
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        if (timers_.empty()) {
            changed_.wait(lock);
            continue;
        }
        const TimerClock::time_point deadline = Earliest()->deadline;
        if (TimerClock::now() < deadline) {
            changed_.wait_until(lock, deadline);
            continue;
        }
        FireDueLocked(TimerClock::now());
    }
}

} // namespace keyweave::x11
