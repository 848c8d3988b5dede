#include "platform/x11/timer_thread.h"

#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <vector>

namespace keyweave::x11 {
namespace {

using namespace std::chrono_literals;

// Records the time of every tick of the timers that report to it.
struct TickLog {
    std::mutex mutex;
    std::vector<TimerClock::time_point> times;
    std::vector<std::uint32_t> ids;

    static void OnTick(std::uint32_t id, std::uintptr_t user) {
        auto* log = reinterpret_cast<TickLog*>(user);
        std::lock_guard lock(log->mutex);
        log->times.push_back(TimerClock::now());
        log->ids.push_back(id);
    }
    std::uintptr_t User() { return reinterpret_cast<std::uintptr_t>(this); }
    std::size_t Count() {
        std::lock_guard lock(mutex);
        return times.size();
    }
};

TEST(NextDeadline, StepsOnePeriodFromTheLastDeadlineSoThatTicksDoNotDrift) {
    auto start = TimerClock::time_point{} + 10s;
    EXPECT_EQ(NextDeadline(start, 2ms, start + 1ms), start + 2ms);
    // Behind by less than the catch-up limit: the missed ticks still come, one per step.
    EXPECT_EQ(NextDeadline(start, 2ms, start + 500ms), start + 2ms);
}

TEST(NextDeadline, SkipsTheTicksOfALongStall) {
    auto start = TimerClock::time_point{} + 10s;
    auto now = start + 5s;
    EXPECT_EQ(NextDeadline(start, 2ms, now), now + 2ms);
}

TEST(TimerThread, RefusesAZeroPeriodAndOneBeyondTheLongest) {
    TimerThread timers;
    TickLog log;
    EXPECT_EQ(timers.StartPeriodic(0, TickLog::OnTick, log.User()), 0u);
    EXPECT_EQ(timers.StartPeriodic(kMaxTimerPeriodMs + 1, TickLog::OnTick, log.User()), 0u);
    std::uint32_t longest = timers.StartPeriodic(kMaxTimerPeriodMs, TickLog::OnTick, log.User());
    EXPECT_NE(longest, 0u);
    timers.Kill(longest);
}

TEST(TimerThread, GivesEveryRunningTimerItsOwnNonZeroId) {
    TimerThread timers;
    TickLog log;
    std::uint32_t a = timers.StartPeriodic(1000, TickLog::OnTick, log.User());
    std::uint32_t b = timers.StartPeriodic(1000, TickLog::OnTick, log.User());
    EXPECT_NE(a, 0u);
    EXPECT_NE(b, 0u);
    EXPECT_NE(a, b);
    timers.Kill(a);
    timers.Kill(b);
}

TEST(TimerThread, TicksAtAbsoluteDeadlinesNeverEarlyAndWithoutDrift) {
    TimerThread timers;
    TickLog log;
    auto start = TimerClock::now();
    std::uint32_t id = timers.StartPeriodic(5, TickLog::OnTick, log.User());
    std::this_thread::sleep_for(300ms);
    timers.Kill(id);

    std::lock_guard lock(log.mutex);
    ASSERT_GE(log.times.size(), 20u);
    for (std::size_t k = 0; k < log.times.size(); ++k) {
        EXPECT_GE(log.times[k], start + 5ms * static_cast<int>(k + 1)) << "tick " << k;
        EXPECT_EQ(log.ids[k], id);
    }
    // However late single ticks are, the n-th one is due n periods after the start.
    auto last = log.times.back() - start;
    EXPECT_LT(last, 5ms * static_cast<int>(log.times.size()) + 100ms);
}

TEST(TimerThread, NoTickAfterKillReturns) {
    TimerThread timers;
    TickLog log;
    std::uint32_t id = timers.StartPeriodic(1, TickLog::OnTick, log.User());
    while (log.Count() < 3) {
        std::this_thread::sleep_for(1ms);
    }
    timers.Kill(id);
    std::size_t afterKill = log.Count();
    std::this_thread::sleep_for(30ms);
    EXPECT_EQ(log.Count(), afterKill);
    timers.Kill(id); // a second Kill, and one of an unknown id, are harmless
    timers.Kill(12345);
}

TEST(TimerThread, TimersOfDifferentPeriodsRunSideBySide) {
    TimerThread timers;
    TickLog fast;
    TickLog slow;
    std::uint32_t a = timers.StartPeriodic(4, TickLog::OnTick, fast.User());
    std::uint32_t b = timers.StartPeriodic(40, TickLog::OnTick, slow.User());
    std::this_thread::sleep_for(250ms);
    timers.Kill(a);
    timers.Kill(b);
    EXPECT_GE(fast.Count(), 30u);
    EXPECT_GE(slow.Count(), 3u);
    EXPECT_LE(slow.Count(), 7u);
}

TEST(TimerThread, TellsTheEarliestDeadlineAndFiresNothingBeforeIt) {
    TimerThread timers;
    TickLog log;
    EXPECT_FALSE(timers.EarliestDeadline().has_value());
    const auto start = TimerClock::now();
    const std::uint32_t slow = timers.StartPeriodic(60000, TickLog::OnTick, log.User());
    const std::uint32_t fast = timers.StartPeriodic(30000, TickLog::OnTick, log.User());
    const auto earliest = timers.EarliestDeadline();
    ASSERT_TRUE(earliest.has_value());
    EXPECT_GE(*earliest, start + 30s);
    EXPECT_LT(*earliest, start + 60s);

    timers.FireDue();
    EXPECT_EQ(log.Count(), 0u);
    timers.Kill(fast);
    EXPECT_GE(*timers.EarliestDeadline(), start + 60s);
    timers.Kill(slow);
    EXPECT_FALSE(timers.EarliestDeadline().has_value());
}

TEST(TimerThread, ShutdownStopsEveryTimerAndRefusesNewOnes) {
    TimerThread timers;
    TickLog log;
    timers.StartPeriodic(1, TickLog::OnTick, log.User());
    std::this_thread::sleep_for(10ms);
    timers.Shutdown();
    std::size_t afterShutdown = log.Count();
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(log.Count(), afterShutdown);
    EXPECT_EQ(timers.StartPeriodic(5, TickLog::OnTick, log.User()), 0u);
    timers.Shutdown();
}

} // namespace
} // namespace keyweave::x11
