#pragma once

#include "platform/loop/loop_timers.h"
#include "platform/loop/tick_schedule.h"
#include "platform/loop/turn_clock.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>

namespace keyweave::gtk {

// A thread that fires the ticks of the loop's schedule that fall due while the main thread is
// busy (in a turn or a message box); the main thread's pause fires those it wakes for itself.
// It sleeps until the earliest deadline; a timer started with an earlier one wakes it.
class TimerThread final : public LoopTimers::Listener {
public:
    TimerThread(TickSchedule& ticks, std::function<LoopTime()> now);
    ~TimerThread() override;
    TimerThread(const TimerThread&) = delete;
    TimerThread& operator=(const TimerThread&) = delete;

    bool Started(std::uint32_t id, LoopDuration period) override;
    void Killed(std::uint32_t id) override;

    // Ends the thread; ticks no longer fire but from the main thread. Harmless when stopped.
    void Shutdown();

private:
    void Run();

    TickSchedule& ticks_;
    std::function<LoopTime()> now_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ = false;
    bool woken_ = false;
    // The deadline the thread sleeps until; none while it waits for a timer to start.
    std::optional<LoopTime> sleepingUntil_;
    std::thread thread_;
};

// The monotonic clock of the Linux platform, on the loop's time type.
LoopTime MonotonicNow();

// The loop's timing on the monotonic clock: the tick schedule, the turn's clock, the timers
// the core starts and the thread that fires their ticks while the main thread is busy.
struct MonotonicLoop {
    MonotonicLoop() { timers.SetListener(&thread); }

    TickSchedule ticks;
    TurnClock turn{MonotonicNow};
    LoopTimers timers{ticks, turn};
    TimerThread thread{ticks, MonotonicNow};
};

// The steady_clock moment of a point on the loop's clock.
std::chrono::steady_clock::time_point SteadyTime(LoopTime time);

} // namespace keyweave::gtk
