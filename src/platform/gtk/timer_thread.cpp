#include "platform/gtk/timer_thread.h"

#include "platform/gtk/timer_slack.h"

namespace keyweave::gtk {

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

// A timer that falls due before the thread would wake wakes it; the thread finds a later one
// when it wakes.
bool TimerThread::Started(std::uint32_t, LoopDuration) {
    {
        std::lock_guard lock(mutex_);
        const std::optional<LoopTime> earliest = ticks_.Earliest();
        if (sleepingUntil_ && earliest && *sleepingUntil_ <= *earliest) {
            return true;
        }
        woken_ = true;
    }
    changed_.notify_all();
    return true;
}

// The thread wakes at the killed timer's deadline all the same, and finds nothing due.
void TimerThread::Killed(std::uint32_t) {}

void TimerThread::Run() {
    KeepTimersExact();
    std::unique_lock lock(mutex_);
    while (!stopping_) {
        woken_ = false;
        const std::optional<LoopTime> deadline = ticks_.Earliest();
        if (!deadline) {
            sleepingUntil_.reset();
            changed_.wait(lock, [this] { return stopping_ || woken_; });
        } else if (now_() < *deadline) {
            sleepingUntil_ = deadline;
            changed_.wait_until(lock, SteadyTime(*deadline),
                                [this] { return stopping_ || woken_; });
        } else {
            lock.unlock();
            ticks_.FireDue(now_());
            lock.lock();
        }
    }
}

} // namespace keyweave::gtk
