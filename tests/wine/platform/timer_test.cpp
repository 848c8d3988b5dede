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
