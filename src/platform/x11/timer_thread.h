#pragma once

#include "platform/timer_source.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace keyweave::x11 {

using TimerClock = std::chrono::steady_clock; // CLOCK_MONOTONIC

// The deadline after `deadline` of a timer with this period: one period later, so that ticks
// do not drift; a timer that has fallen more than kMaxCatchUp behind `now` (the thread was
// stopped, say) skips the ticks it missed instead of firing them all at once.
TimerClock::time_point NextDeadline(TimerClock::time_point deadline,
                                    std::chrono::milliseconds period, TimerClock::time_point now);
inline constexpr std::chrono::milliseconds kMaxCatchUp{1000};

// Every periodic timer of the process, served by one thread against absolute deadlines on the
// monotonic clock. A thread that is awake at a deadline anyway may fire the due ticks itself
// (FireDue), which spares the hand-over from a second thread that has to wake first. Tick
// callbacks run one at a time, on whichever thread fires them, and must not start or stop
// timers themselves; once Kill returns, the timer's callback is not running and will not run
// again.
class TimerThread final : public TimerSource {
public:
    TimerThread();
    ~TimerThread() override;
    TimerThread(const TimerThread&) = delete;
    TimerThread& operator=(const TimerThread&) = delete;

    std::uint32_t StartPeriodic(std::uint32_t periodMs, TickCallback onTick,
                                std::uintptr_t user) override;
    void Kill(std::uint32_t id) override;

    // When the next tick of any timer is due; none while no timer runs.
    std::optional<TimerClock::time_point> EarliestDeadline();

    // Fires, on the calling thread, every tick that is due by now.
    void FireDue();

    // Ends the thread; every timer stops. Harmless when already stopped.
    void Shutdown();

private:
    struct Timer {
        std::uint32_t id;
        std::chrono::milliseconds period;
        TimerClock::time_point deadline;
        TickCallback onTick;
        std::uintptr_t user;
    };

    void Run();
    std::uint32_t FreeId();
    std::vector<Timer>::iterator Earliest();
    void FireDueLocked(TimerClock::time_point now);

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Timer> timers_;
    std::uint32_t lastId_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace keyweave::x11
