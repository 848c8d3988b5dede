#include "platform/loop/loop_pause.h"
#include "platform/loop/loop_timers.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace keyweave {
namespace {

using namespace std::chrono_literals;

// The loop's timing on a clock that the test moves, in microseconds for readability.
class LoopTimingTest : public ::testing::Test, protected LoopWaits {
protected:
    static LoopTime At(std::chrono::microseconds since) { return LoopTime(since); }
    void SetNow(std::chrono::microseconds since) { now_ = At(since); }
    std::chrono::microseconds NowUs() const {
        return std::chrono::duration_cast<std::chrono::microseconds>(now_.time_since_epoch());
    }

    // Waits move the clock to where they end, or to where a posted call ends them.
    void WaitUntil(LoopTime until, bool forTick) override {
        waits_.emplace_back(until, forTick);
        now_ = postAt_ && *postAt_ < until ? *postAt_ : until;
        if (postAt_ && *postAt_ <= now_) {
            calls_.Post([] {});
            postAt_.reset();
        }
    }
    Idle IdleWait() override { return idle_; }
    void WaitForChange(std::optional<LoopTime> until) override {
        changeWaits_.push_back(until);
        now_ = until.value_or(now_);
    }
    LoopDuration ChangeWaitLateness() const override { return lateness_; }

    static void PostTick(std::uint32_t, std::uintptr_t user) {
        auto* self = reinterpret_cast<LoopTimingTest*>(user);
        self->ticked_.push_back(self->NowUs());
        self->calls_.Post([] {});
    }
    std::uintptr_t Self() { return reinterpret_cast<std::uintptr_t>(this); }

    LoopTime now_{};
    std::optional<LoopTime> postAt_;
    Idle idle_ = Idle::WaitForAChange;
    LoopDuration lateness_ = 2ms;
    std::vector<std::pair<LoopTime, bool>> waits_;
    std::vector<std::optional<LoopTime>> changeWaits_;
    std::vector<std::chrono::microseconds> ticked_;
    MainThreadCallQueue calls_;
    TickSchedule ticks_;
    TurnClock turn_{[this] { return now_; }};
    LoopTimers timers_{ticks_, turn_};
    LoopPause pause_{*this, turn_, ticks_, calls_};
};

// A pause after a turn that sent input counts from the first sending, or from the beginning
// of a turn that a tick began when the sending came within the reach of it; it never ends
// before it begins, and a turn that sent nothing pauses the whole time.
TEST_F(LoopTimingTest, APauseCountsFromTheFirstSendingOrFromTheTickThatBeganTheTurn) {
    struct Case {
        const char* what;
        std::chrono::microseconds turnBegan;
        bool byATick;
        std::vector<std::chrono::microseconds> sendings;
        std::chrono::microseconds taken;
        std::chrono::microseconds pauseEnd;
    };
    const Case cases[] = {
        {"sent within the reach", 100ms, true, {100300us, 100500us}, 100600us, 102ms},
        {"sent beyond the reach", 200ms, true, {201500us}, 201600us, 203500us},
        {"no tick began the turn", 300ms, false, {300300us}, 300400us, 302300us},
        {"nothing sent", 400ms, true, {}, 400200us, 402200us},
        {"sent longer ago than the pause", 500ms, false, {500100us}, 503ms, 503ms},
    };
    for (const Case& c : cases) {
        SetNow(c.turnBegan);
        turn_.TurnBegan(c.byATick);
        for (const std::chrono::microseconds at : c.sendings) {
            SetNow(at);
            turn_.Sending();
        }
        SetNow(c.taken);
        EXPECT_EQ(turn_.TakePauseEnd(2ms), At(c.pauseEnd)) << c.what;
    }
}

// A wait started early in a turn counts from the turn's beginning, whatever began the turn;
// one started later, or before any turn, counts from its start.
TEST_F(LoopTimingTest, ATimerStartedWithinReachOfTheTurnsBeginningCountsFromIt) {
    auto firstTickOfATimerStartedAt = [this](std::chrono::microseconds at) {
        SetNow(at);
        const std::uint32_t id = timers_.StartPeriodic(10, PostTick, Self());
        const std::optional<LoopTime> first = ticks_.Earliest();
        timers_.Kill(id);
        return first;
    };
    EXPECT_EQ(firstTickOfATimerStartedAt(50ms), At(60ms)) << "before any turn";
    SetNow(100ms);
    turn_.TurnBegan(false);
    EXPECT_EQ(firstTickOfATimerStartedAt(100400us), At(110ms));
    SetNow(200ms);
    turn_.TurnBegan(true);
    EXPECT_EQ(firstTickOfATimerStartedAt(201500us), At(211500us)) << "beyond the reach";
}

TEST_F(LoopTimingTest, TimersRefuseNoPeriodOrOneBeyondTheLongest) {
    EXPECT_EQ(timers_.StartPeriodic(0, PostTick, Self()), 0u);
    EXPECT_EQ(timers_.StartPeriodic(kMaxTimerPeriodMs + 1, PostTick, Self()), 0u);
    EXPECT_EQ(timers_.StartPeriodic(5, nullptr, Self()), 0u);
    EXPECT_NE(timers_.StartPeriodic(kMaxTimerPeriodMs, PostTick, Self()), 0u);
    EXPECT_EQ(ticks_.RunningCount(), 1);
}

// Ticks fall due every period from the start, however late they are fired, so they never
// drift; a timer more than a second behind skips what it missed.
TEST_F(LoopTimingTest, TicksKeepTheirDeadlinesAndSkipOnlyALongStall) {
    const std::uint32_t id = ticks_.Start(2ms, At(0ms), PostTick, Self());
    ticks_.FireDue(At(2500us));
    EXPECT_EQ(ticks_.Earliest(), At(4ms));
    ticks_.FireDue(At(500ms));
    EXPECT_EQ(ticked_.size(), 250u) << "the missed ticks all fire, one per period";
    EXPECT_EQ(ticks_.Earliest(), At(502ms));
    ticks_.FireDue(At(5s));
    EXPECT_EQ(ticks_.Earliest(), At(5002ms));
    ticks_.Kill(id);
    EXPECT_FALSE(ticks_.Earliest());
}

TEST_F(LoopTimingTest, TicksFireInDeadlineOrderTiesByIdAndIdsAreTheSmallestFree) {
    std::vector<std::uint32_t> fired;
    static std::vector<std::uint32_t>* record = nullptr;
    record = &fired;
    auto log = [](std::uint32_t id, std::uintptr_t) { record->push_back(id); };
    EXPECT_EQ(ticks_.Start(3ms, At(0ms), log, 0), 1u);
    EXPECT_EQ(ticks_.Start(2ms, At(0ms), log, 0), 2u);
    EXPECT_EQ(ticks_.Start(5ms, At(0ms), log, 0), 3u);
    ticks_.Kill(3);
    ticks_.Kill(99);
    ticks_.FireDue(At(6ms));
    EXPECT_EQ(fired, (std::vector<std::uint32_t>{2, 1, 2, 1, 2}));
    EXPECT_EQ(ticks_.Start(5ms, At(0ms), log, 0), 3u);
}

// The pause wakes at each tick's deadline and fires the tick itself: a tick that posts a call
// ends it at once, one that posts none does not.
TEST_F(LoopTimingTest, APauseEndsAtTheFirstTickThatPostsACall) {
    auto silent = [](std::uint32_t, std::uintptr_t) {};
    ticks_.Start(3ms, At(0ms), silent, 0);
    ticks_.Start(7ms, At(0ms), PostTick, Self());
    pause_.Sleep(10ms);
    EXPECT_EQ(now_, At(7ms)) << "the silent ticks at 3 and 6 do not end the pause";
    EXPECT_EQ(waits_, (std::vector<std::pair<LoopTime, bool>>{
                          {At(3ms), true}, {At(6ms), true}, {At(7ms), true}}));

    pause_.Sleep(10ms);
    EXPECT_EQ(now_, At(14ms)) << "the call of the tick at 7 is still pending but was seen";
    calls_.RunPending();
    pause_.Sleep(2ms);
    EXPECT_EQ(now_, At(16ms)) << "no tick within the pause: it lasts its full length";
}

TEST_F(LoopTimingTest, APauseEndsForACallPostedDuringItAndNotForOneSeenBefore) {
    postAt_ = At(1500us);
    pause_.Sleep(2ms);
    EXPECT_EQ(now_, At(1500us));
    pause_.Sleep(2ms);
    EXPECT_EQ(now_, At(3500us));
}

// While nothing plays the pause waits for a change until one pause before the next tick, then
// for the tick itself as exactly as the loop's pause does, and fires it; where something waits
// it pauses as the loop's pause does, or ends at once.
TEST_F(LoopTimingTest, TheIdlePauseWaitsForAChangeUntilTheNextTick) {
    ticks_.Start(100ms, At(0ms), PostTick, Self());
    pause_.SleepUntilChange(2ms);
    EXPECT_EQ(changeWaits_, (std::vector<std::optional<LoopTime>>{At(98ms)}));
    EXPECT_EQ(waits_, (std::vector<std::pair<LoopTime, bool>>{{At(100ms), true}}));
    EXPECT_EQ(ticked_, (std::vector<std::chrono::microseconds>{100ms}));

    calls_.RunPending();
    lateness_ = 0ms;
    pause_.SleepUntilChange(2ms);
    EXPECT_EQ(changeWaits_.back(), At(200ms)) << "an exact wait for a change meets the tick itself";
    EXPECT_EQ(waits_.size(), 1u);
    EXPECT_EQ(ticked_.back(), 200ms);

    idle_ = Idle::PauseAsSleep;
    calls_.RunPending();
    pause_.SleepUntilChange(2ms);
    EXPECT_EQ(now_, At(202ms));

    idle_ = Idle::EndNow;
    turn_.Sending();
    pause_.SleepUntilChange(2ms);
    EXPECT_EQ(now_, At(202ms));
    EXPECT_FALSE(turn_.TakeFirstSending()) << "a sending before an idle pause counts for nothing";
}

} // namespace
} // namespace keyweave
