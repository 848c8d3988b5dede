#include "runtime/events/event_queue.h"
#include "runtime/events/hooks.h"
#include "runtime/system/system.h"
#include "runtime/timers/timer.h"
#include "runtime_fixture.h"

#include <limits>
#include <vector>

namespace keyweave {
namespace {

using TimerTest = RuntimeTest;

// The hertz of a wait of `ms` milliseconds, computed in single precision as the player does.
float HertzForWait(int ms) {
    return 1000.0f / static_cast<float>(ms);
}

TEST(TimerPeriod, FollowsTheSinglePrecisionRule) {
    EXPECT_EQ(TimerPeriodMs(1.0f / 3.0f), 2999u);
    EXPECT_EQ(TimerPeriodMs(0.33333334f), 2999u);
    EXPECT_EQ(TimerPeriodMs(1000.0f / 3.0f), 2u);
    EXPECT_EQ(TimerPeriodMs(HertzForWait(300)), 300u);
    for (const int exact : {1, 2, 5, 10, 16, 50, 100, 250, 1000}) {
        EXPECT_EQ(TimerPeriodMs(HertzForWait(exact)), static_cast<std::uint32_t>(exact)) << exact;
    }
    EXPECT_EQ(TimerPeriodMs(HertzForWait(5000)), 4999u);
}

TEST(TimerPeriod, OutOfRangeQuotientsGiveZero) {
    EXPECT_EQ(TimerPeriodMs(std::numeric_limits<float>::infinity()), 0u);
    EXPECT_EQ(TimerPeriodMs(0.0f), 0u);
    EXPECT_EQ(TimerPeriodMs(-0.0f), 0u);
    EXPECT_EQ(TimerPeriodMs(std::numeric_limits<float>::quiet_NaN()), 0u);
    EXPECT_EQ(TimerPeriodMs(std::numeric_limits<float>::denorm_min()), 0u);
    EXPECT_EQ(TimerPeriodMs(2000.0f), 0u) << "half a millisecond truncates to 0";
    // -1 Hz: -1000 as 64 bits, whose low 32 bits are a huge period that the platform refuses.
    EXPECT_EQ(TimerPeriodMs(-1.0f), 4294966296u);
}

TEST_F(TimerTest, SixteenTimersRunAndASeventeenthIsRefused) {
    std::vector<TimerRef> timers;
    for (int n = 0; n < kMaxRunningTimers; ++n) {
        timers.push_back(TTimer::Create(10.0f, nullptr));
        ASSERT_NE(timers.back(), nullptr);
    }
    EXPECT_EQ(TTimer::Create(10.0f, nullptr), nullptr);
    EXPECT_EQ(sim.RunningTimerCount(), kMaxRunningTimers);

    timers[3]->Stop();
    EXPECT_EQ(RunningTimerCount(), kMaxRunningTimers - 1);
    EXPECT_NE(TTimer::Create(10.0f, nullptr), nullptr);
}

TEST_F(TimerTest, RefusedPeriodsGiveNoTimer) {
    EXPECT_EQ(TTimer::Create(std::numeric_limits<float>::infinity(), nullptr), nullptr);
    EXPECT_EQ(TTimer::Create(HertzForWait(0), nullptr), nullptr);
    EXPECT_EQ(TTimer::Create(HertzForWait(1000001), nullptr), nullptr);
    EXPECT_NE(TTimer::Create(0.001f, nullptr), nullptr) << "1,000,000 ms is still accepted";
    EXPECT_EQ(RunningTimerCount(), 1);
    EXPECT_EQ(sim.RunningTimerCount(), 1);
}

TEST_F(TimerTest, TheFirstTickCountsAfterOnePeriodOnceTheMainThreadPumps) {
    const TimerRef timer = TTimer::Create(0.33333334f, nullptr);
    sim.Advance(2998);
    PumpMessages();
    EXPECT_EQ(timer->Ticks(), 0);
    sim.Advance(1);
    EXPECT_EQ(timer->Ticks(), 0) << "ticks count only while the main thread pumps";
    PumpMessages();
    EXPECT_EQ(timer->Ticks(), 1);
}

TEST_F(TimerTest, TenPeriodsWithoutPumpingLeaveOneTickEventWithTheLatestCount) {
    const TimerRef timer = TTimer::Create(HertzForWait(100), nullptr);
    sim.Advance(1000);
    EXPECT_EQ(sim.PendingCalls(), 10);
    PumpMessages();
    EXPECT_EQ(timer->Ticks(), 10);
    ASSERT_EQ(EventQueueCount(), 1);
    EXPECT_EQ(EventQueueWait(), TimerTick);
    EXPECT_EQ(CurrentEventData(), 10);
    EXPECT_EQ(CurrentEventSource(), timer);
}

TEST_F(TimerTest, TicksOfTwoTimersQueueSeparately) {
    const TimerRef a = TTimer::Create(HertzForWait(10), nullptr);
    const TimerRef b = TTimer::Create(HertzForWait(10), nullptr);
    sim.Advance(30);
    PumpMessages();
    ASSERT_EQ(EventQueueCount(), 2);
    EXPECT_EQ(EventQueueWait(), TimerTick);
    EXPECT_EQ(CurrentEventSource(), a);
    EXPECT_EQ(CurrentEventData(), 3);
    EXPECT_EQ(EventQueueWait(), TimerTick);
    EXPECT_EQ(CurrentEventSource(), b);
}

TEST_F(TimerTest, AStaleTickAfterStopIsDroppedAndStopTwiceIsHarmless) {
    const TimerRef timer = TTimer::Create(HertzForWait(10), nullptr);
    sim.Advance(20);
    timer->Stop();
    timer->Stop();
    EXPECT_EQ(sim.PendingCalls(), 2) << "the posted ticks are still queued";
    PumpMessages();
    EXPECT_EQ(timer->Ticks(), 0);
    EXPECT_FALSE(timer->IsRunning());
    EXPECT_EQ(sim.RunningTimerCount(), 0);
    EXPECT_EQ(EventQueueCount(), 0);
    EXPECT_EQ(timer->Wait(), 0);
}

TEST_F(TimerTest, AnIdReusedByThePlatformReachesOnlyTheNewTimer) {
    const TimerRef old = TTimer::Create(HertzForWait(10), nullptr);
    sim.Advance(10);
    old->Stop();
    const TimerRef fresh = TTimer::Create(HertzForWait(10), nullptr);
    sim.Advance(10);
    PumpMessages();
    EXPECT_EQ(old->Ticks(), 0);
    EXPECT_EQ(fresh->Ticks(), 1) << "the stale tick under the same id is not counted again";
}

TEST_F(TimerTest, ATimerWhoseLastReferenceIsDroppedKeepsRunning) {
    std::weak_ptr<TTimer> watch = TTimer::Create(HertzForWait(10), nullptr);
    sim.Advance(10);
    PumpMessages();
    const TimerRef timer = watch.lock();
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->Ticks(), 1);
    timer->Stop();
}

TEST_F(TimerTest, AStoppedTimerIsReleasedOnceTheApplicationDropsIt) {
    TimerRef timer = TTimer::Create(HertzForWait(10), nullptr);
    const std::weak_ptr<TTimer> watch = timer;
    sim.Advance(10);
    PumpMessages();
    EventQueueWait();
    timer->Stop();
    timer = nullptr;
    EXPECT_FALSE(watch.expired()) << "the current tick event still names it";
    EventQueuePoll();
    EXPECT_TRUE(watch.expired());
}

TEST_F(TimerTest, AGivenEventObjectIsEmittedAsItIs) {
    const EventRef event = TEvent::Create(1, nullptr, 42, 0, 0, 0, nullptr);
    const TimerRef timer = TTimer::Create(HertzForWait(5), event);
    sim.Advance(15);
    PumpMessages();
    EXPECT_EQ(timer->Ticks(), 3);
    ASSERT_EQ(EventQueueCount(), 3) << "id 1 does not coalesce";
    EXPECT_EQ(EventQueuePeek(), event);
    EXPECT_EQ(event->data, 42);
}

TEST_F(TimerTest, WaitReturnsTheTicksSinceThePreviousWait) {
    const TimerRef timer = TTimer::Create(HertzForWait(10), nullptr);
    EXPECT_EQ(timer->Wait(), 1);
    EXPECT_EQ(sim.Now(), 10);
    sim.Advance(30);
    EXPECT_EQ(timer->Wait(), 3) << "pending ticks are taken in by the first pump";
    EXPECT_EQ(sim.Now(), 40);
    EXPECT_EQ(timer->Ticks(), 4);
}

TEST_F(TimerTest, WaitEndsWhenTheTimerIsStoppedMeanwhile) {
    const TimerRef timer = TTimer::Create(HertzForWait(100), nullptr);
    const TimerRef other = TTimer::Create(HertzForWait(10), nullptr);
    PostMainThreadCall([timer] { timer->Stop(); });
    EXPECT_EQ(timer->Wait(), 0);
    other->Stop();
}

TEST_F(TimerTest, WaitInsideThePumpRaisesInsteadOfHanging) {
    const TimerRef timer = TTimer::Create(HertzForWait(10), nullptr);
    EXPECT_TRUE(RaisesInsideThePump([&timer] { timer->Wait(); }));
}

} // namespace
} // namespace keyweave
