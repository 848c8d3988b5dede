#include "platform/win32/win32_timer_wakes.h"
#include "platform_fixture.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <numeric>
#include <tlhelp32.h>
#include <vector>

namespace keyweave::win32::test {
namespace {

class TimerPeriodTest : public ::testing::TestWithParam<int> {};

TEST_P(TimerPeriodTest, TicksReachTheMainThreadOncePerPeriod) {
    const int period = GetParam();
    const std::size_t wanted = period <= 2 ? 250 : period <= 10 ? 100 : 15;
    TickLog log;
    TimerSource& timers = ThePlatform().Timers();
    // Past the turn of the last pause: the timer counts from its own start.
    Sleep(2);
    const double start = NowMs();
    log.id = timers.StartPeriodic(static_cast<std::uint32_t>(period), PostTick,
                                  reinterpret_cast<std::uintptr_t>(&log));
    ASSERT_NE(log.id, 0u);
    const double deadline = start + period * static_cast<double>(wanted) * 3 + 1000;
    while (log.times.size() < wanted && NowMs() < deadline) {
        ThePlatform().System().Wait();
    }
    timers.Kill(log.id);
    // A tick handed on just before the kill still runs, while the log it writes to exists.
    ThePlatform().System().Poll();
    ASSERT_GE(log.times.size(), wanted);
    EXPECT_FALSE(log.wrongId);
    // A tick is handed on at its deadline or after it, never before.
    for (std::size_t tick = 0; tick < log.handedOn.size(); ++tick) {
        EXPECT_GE(log.handedOn[tick] - start, period * static_cast<double>(tick + 1))
            << "tick " << tick + 1;
    }
    std::vector<double> intervals;
    for (std::size_t tick = 1; tick < log.times.size(); ++tick) {
        intervals.push_back(log.times[tick] - log.times[tick - 1]);
    }
    const double mean = (log.times.back() - log.times.front()) / intervals.size();
    const auto [shortest, longest] = std::minmax_element(intervals.begin(), intervals.end());
    std::printf("figure: %d ms timer: mean %.3f ms, shortest %.3f ms, longest %.3f ms over %zu "
                "periods; first tick after %.3f ms\n",
                period, mean, *shortest, *longest, intervals.size(), log.times.front() - start);
    EXPECT_NEAR(mean, period, period * 0.15 + 0.3);
}

INSTANTIATE_TEST_SUITE_P(Periods, TimerPeriodTest, ::testing::Values(2, 10, 100));

TEST(TimerSourceTest, AKilledTimerPostsNoMoreTicks) {
    TickLog log;
    TimerSource& timers = ThePlatform().Timers();
    log.id = timers.StartPeriodic(1, PostTick, reinterpret_cast<std::uintptr_t>(&log));
    ASSERT_NE(log.id, 0u);
    PumpUntil([&] { return log.times.size() >= 5; }, 2000);
    timers.Kill(log.id);
    PumpFor(20);
    const std::size_t ticks = log.times.size();
    PumpFor(60);
    EXPECT_EQ(log.times.size(), ticks);
}

TEST(TimerSourceTest, PeriodsOfZeroOrAboveTheMaximumAreRefused) {
    TickLog log;
    TimerSource& timers = ThePlatform().Timers();
    EXPECT_EQ(timers.StartPeriodic(0, PostTick, reinterpret_cast<std::uintptr_t>(&log)), 0u);
    EXPECT_EQ(timers.StartPeriodic(kMaxTimerPeriodMs + 1, PostTick,
                                   reinterpret_cast<std::uintptr_t>(&log)),
              0u);
    // Windows takes periods up to 1000000 ms, Wine up to 65535 ms.
    const std::uint32_t minute =
        timers.StartPeriodic(60000, PostTick, reinterpret_cast<std::uintptr_t>(&log));
    EXPECT_NE(minute, 0u);
    timers.Kill(minute);
}

void CountTick(std::uint32_t, std::uintptr_t user) {
    InterlockedIncrement(reinterpret_cast<volatile LONG*>(user));
}

// While the pause sleeps to fire a tick at its deadline, the timer thread leaves it alone.
TEST(TimerSourceTest, ThePauseThatWakesForATickFiresItAlone) {
    TickSchedule ticks;
    Win32TimerWakes wakes(ticks);
    volatile LONG count = 0;
    const std::uint32_t id = ticks.Start(std::chrono::milliseconds(2), PerformanceNow(), CountTick,
                                         reinterpret_cast<std::uintptr_t>(&count));
    ASSERT_TRUE(wakes.Started(id, std::chrono::milliseconds(2)));
    wakes.SetPauseWakesForTick(true);
    Sleep(30);
    EXPECT_EQ(count, 0);
    ticks.FireDue(PerformanceNow());
    EXPECT_GE(count, 10);
    wakes.SetPauseWakesForTick(false);
    const LONG firedByThePause = count;
    Sleep(30);
    EXPECT_GT(count, firedByThePause);
    ticks.Kill(id);
    wakes.Killed(id);
}

// Kill frees what the timer thread reads: starting and killing many fast timers, while they
// tick, must neither crash nor deliver a tick after its Kill.
TEST(TimerSourceTest, StartingAndKillingWhileTicksFlowIsSafe) {
    TimerSource& timers = ThePlatform().Timers();
    for (int round = 0; round < 300; ++round) {
        volatile LONG ticks = 0;
        const std::uint32_t id =
            timers.StartPeriodic(1, CountTick, reinterpret_cast<std::uintptr_t>(&ticks));
        ASSERT_NE(id, 0u);
        Sleep(round % 3);
        timers.Kill(id);
        const LONG afterKill = ticks;
        Sleep(2);
        ASSERT_EQ(ticks, afterKill) << "round " << round;
    }
}

int ThreadsOfThisProcess() {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        count += entry.th32OwnerProcessID == GetCurrentProcessId() ? 1 : 0;
    }
    CloseHandle(snapshot);
    return count;
}

// Every wait of a script starts a timer and kills it: no thread may start or end each time.
TEST(TimerSourceTest, TheTimerThreadOutlivesTheTimers) {
    TimerSource& timers = ThePlatform().Timers();
    const int threads = ThreadsOfThisProcess();
    volatile LONG ticks = 0;
    const std::uint32_t id =
        timers.StartPeriodic(2, CountTick, reinterpret_cast<std::uintptr_t>(&ticks));
    Sleep(20);
    EXPECT_EQ(ThreadsOfThisProcess(), threads) << "a timer started";
    timers.Kill(id);
    Sleep(20);
    EXPECT_EQ(ThreadsOfThisProcess(), threads) << "a timer killed";
}

} // namespace
} // namespace keyweave::win32::test
