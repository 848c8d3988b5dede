#include "platform/sim/sim_platform.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace keyweave::sim {
namespace {

// Every tick of the timers under test, as (virtual time, user value).
std::vector<std::pair<std::int64_t, std::uintptr_t>> ticks;
const SimPlatform* clockOwner = nullptr;

void RecordTick(std::uint32_t, std::uintptr_t user) {
    ticks.emplace_back(clockOwner->Now(), user);
}

class SimClockTest : public ::testing::Test {
protected:
    SimClockTest() {
        ticks.clear();
        clockOwner = &sim;
    }

    std::uint32_t Start(std::uint32_t periodMs, std::uintptr_t user) {
        return sim.Timers().StartPeriodic(periodMs, RecordTick, user);
    }

    SimPlatform sim;
};

TEST_F(SimClockTest, TimersFireAtTheirDeadlinesInOrderTiesById) {
    Start(3, 1);
    Start(2, 2);
    sim.Advance(6);
    using Tick = std::pair<std::int64_t, std::uintptr_t>;
    EXPECT_EQ(ticks, (std::vector<Tick>{{2, 2}, {3, 1}, {4, 2}, {6, 1}, {6, 2}}));
    EXPECT_EQ(sim.Now(), 6);
}

TEST_F(SimClockTest, PeriodsCountFromTheStartTime) {
    sim.Advance(5);
    Start(10, 1);
    sim.Advance(9);
    EXPECT_TRUE(ticks.empty());
    sim.Advance(1);
    ASSERT_EQ(ticks.size(), 1u);
    EXPECT_EQ(ticks[0].first, 15);
}

TEST_F(SimClockTest, SleepAdvancesTheClockAndNegativeTimeIsIgnored) {
    Start(4, 1);
    sim.System().Sleep(8);
    EXPECT_EQ(sim.Now(), 8);
    EXPECT_EQ(ticks.size(), 2u);
    sim.Advance(-5);
    sim.System().Sleep(0);
    EXPECT_EQ(sim.Now(), 8);
}

TEST_F(SimClockTest, RefusesPeriodsOfZeroAndAboveTheMaximum) {
    EXPECT_EQ(Start(0, 1), 0u);
    EXPECT_EQ(Start(kMaxTimerPeriodMs + 1, 1), 0u);
    EXPECT_NE(Start(kMaxTimerPeriodMs, 1), 0u);
    EXPECT_EQ(sim.RunningTimerCount(), 1);
}

TEST_F(SimClockTest, IdsAreTheSmallestFreeAndKillStopsTicks) {
    EXPECT_EQ(Start(5, 1), 1u);
    EXPECT_EQ(Start(5, 2), 2u);
    EXPECT_EQ(Start(5, 3), 3u);
    sim.Timers().Kill(2);
    sim.Timers().Kill(99);
    EXPECT_EQ(Start(7, 4), 2u);
    EXPECT_EQ(Start(7, 5), 4u);
    sim.Timers().Kill(1);
    sim.Advance(5);
    using Tick = std::pair<std::int64_t, std::uintptr_t>;
    EXPECT_EQ(ticks, (std::vector<Tick>{{5, 3}}));
}

} // namespace
} // namespace keyweave::sim
