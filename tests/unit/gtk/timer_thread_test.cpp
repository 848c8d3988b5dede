#include "platform/gtk/timer_thread.h"

#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace keyweave::gtk {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Records the time of every tick of the timers that report to it.
struct TickLog {
    std::mutex mutex;
    std::vector<Clock::time_point> times;

    static void OnTick(std::uint32_t, std::uintptr_t user) {
        auto* log = reinterpret_cast<TickLog*>(user);
        std::lock_guard lock(log->mutex);
        log->times.push_back(Clock::now());
    }
    std::uintptr_t User() { return reinterpret_cast<std::uintptr_t>(this); }
    std::size_t Count() {
        std::lock_guard lock(mutex);
        return times.size();
    }
};

TEST(TimerThread, TicksAtAbsoluteDeadlinesNeverEarlyAndWithoutDrift) {
    MonotonicLoop threaded;
    TickLog log;
    auto start = Clock::now();
    std::uint32_t id = threaded.timers.StartPeriodic(5, TickLog::OnTick, log.User());
    std::this_thread::sleep_for(300ms);
    threaded.timers.Kill(id);

    std::lock_guard lock(log.mutex);
    ASSERT_GE(log.times.size(), 20u);
    for (std::size_t k = 0; k < log.times.size(); ++k) {
        EXPECT_GE(log.times[k], start + 5ms * static_cast<int>(k + 1)) << "tick " << k;
    }
    // However late single ticks are, the n-th one is due n periods after the start.
    auto last = log.times.back() - start;
    EXPECT_LT(last, 5ms * static_cast<int>(log.times.size()) + 100ms);
}

TEST(TimerThread, NoTickAfterKillReturnsAndNoneAfterShutdown) {
    MonotonicLoop threaded;
    TickLog log;
    std::uint32_t id = threaded.timers.StartPeriodic(1, TickLog::OnTick, log.User());
    while (log.Count() < 3) {
        std::this_thread::sleep_for(1ms);
    }
    threaded.timers.Kill(id);
    std::size_t afterKill = log.Count();
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(log.Count(), afterKill);

    threaded.timers.StartPeriodic(1, TickLog::OnTick, log.User());
    std::this_thread::sleep_for(10ms);
    threaded.thread.Shutdown();
    std::size_t afterShutdown = log.Count();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(log.Count(), afterShutdown);
    threaded.thread.Shutdown();
}

TEST(TimerThread, TimersOfDifferentPeriodsRunSideBySide) {
    MonotonicLoop threaded;
    TickLog fast;
    TickLog slow;
    std::uint32_t a = threaded.timers.StartPeriodic(4, TickLog::OnTick, fast.User());
    std::uint32_t b = threaded.timers.StartPeriodic(40, TickLog::OnTick, slow.User());
    std::this_thread::sleep_for(250ms);
    threaded.timers.Kill(a);
    threaded.timers.Kill(b);
    EXPECT_GE(fast.Count(), 30u);
    EXPECT_GE(slow.Count(), 3u);
    EXPECT_LE(slow.Count(), 7u);
}

} // namespace
} // namespace keyweave::gtk
