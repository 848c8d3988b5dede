#include "platform/x11/timer_thread.h"

#include "platform/x11/timer_slack.h"

namespace keyweave::x11 {

LoopTime MonotonicNow() {
    return LoopTime(std::chrono::duration_cast<LoopDuration>(
        std::chrono::steady_clock::now().time_since_epoch()));
}

std::chrono::steady_clock::time_point SteadyTime(LoopTime time) {
    return std::chrono::steady_clock::time_point(
        std::chrono::duration_cast<std::chrono::steady_clock::duration>(time.time_since_epoch()));
}

TimerThread::TimerThread(TickSchedule& ticks, std::function<LoopTime()> now)
    : ticks_(ticks), now_(std::move(now)), thread_([this] { Run(); }) {}

TimerThread::~TimerThread() {
    Shutdown();
}

void TimerThread::Shutdown() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) {
        thread_.join();
    }
}

bool TimerThread::Started(std::uint32_t, LoopDuration) {
    Changed();
    return true;
}

void TimerThread::Killed(std::uint32_t) {
    Changed();
}

void TimerThread::Changed() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    changed_.notify_all();
}

void TimerThread::Run() {
    KeepTimersExact();
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        woken_ = false;
        const std::optional<LoopTime> deadline = ticks_.Earliest();
        if (!deadline) {
            changed_.wait(lock, [this] { return stopping_ || woken_; });
        } else if (now_() < *deadline) {
            changed_.wait_until(lock, SteadyTime(*deadline),
                                [this] { return stopping_ || woken_; });
        } else {
            lock.unlock();
            ticks_.FireDue(now_());
            lock.lock();
        }
    }
}

} // namespace keyweave::x11
