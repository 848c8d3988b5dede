#include "platform/sim/sim_platform.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

namespace keyweave::sim {
namespace {

SimPlatform* current = nullptr;

void PostTick(std::uint32_t, std::uintptr_t) {
    current->System().PostMainThreadCall([] {});
}

class SimSystemTest : public ::testing::Test {
protected:
    SimSystemTest() { current = &sim; }

    SimPlatform sim;
    SystemDriver& system = sim.System();
};

TEST_F(SimSystemTest, WaitMovesTheClockToTheNextDeadlineWhenNothingIsPending) {
    sim.Timers().StartPeriodic(25, PostTick, 0);
    sim.Advance(10);
    system.Wait();
    EXPECT_EQ(sim.Now(), 25);
    EXPECT_EQ(sim.PendingCalls(), 0);

    int ran = 0;
    system.PostMainThreadCall([&ran] { ++ran; });
    system.Wait();
    EXPECT_EQ(sim.Now(), 25) << "a pending call needs no waiting";
    EXPECT_EQ(ran, 1);
}

TEST_F(SimSystemTest, WaitWithoutAnyTimerWouldBlockForever) {
    EXPECT_THROW(system.Wait(), std::logic_error);
}

TEST_F(SimSystemTest, PollRunsCallsPostedMeanwhileButStopsASelfPostingLoop) {
    std::vector<int> ran;
    system.PostMainThreadCall([&] {
        ran.push_back(1);
        system.PostMainThreadCall([&] { ran.push_back(2); });
    });
    system.Poll();
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));

    std::function<void()> again = [&] { system.PostMainThreadCall(again); };
    system.PostMainThreadCall(again);
    system.Poll();
    EXPECT_EQ(sim.PendingCalls(), 1);
}

void SilentTick(std::uint32_t, std::uintptr_t) {}

TEST_F(SimSystemTest, SleepEndsAtTheFirstTickThatPostsACall) {
    sim.Timers().StartPeriodic(3, SilentTick, 0);
    sim.Timers().StartPeriodic(7, PostTick, 0);
    system.Sleep(10);
    EXPECT_EQ(sim.Now(), 7) << "the silent ticks at 3 and 6 do not end the pause";

    system.Sleep(10);
    EXPECT_EQ(sim.Now(), 14) << "the call of the tick at 7 is still pending but was seen";
    system.Poll();
    system.Sleep(2);
    EXPECT_EQ(sim.Now(), 16) << "no tick within the pause: it lasts its full length";
}

TEST_F(SimSystemTest, SleepDoesNotAdvanceWhileACallPostedSinceThePreviousPauseWaits) {
    system.Sleep(2);
    system.PostMainThreadCall([] {});
    system.Sleep(2);
    EXPECT_EQ(sim.Now(), 2);
    system.Sleep(2);
    EXPECT_EQ(sim.Now(), 4) << "each call ends one pause only";
}

TEST_F(SimSystemTest, AMessageBoxRunsMainThreadCallsWhileItIsOpen) {
    sim.Timers().StartPeriodic(100, PostTick, 0);
    sim.SetMessageBoxDuration(250);
    std::vector<std::int64_t> callTimes;
    int handled = 0;
    sim.SetMessageBoxHandler([&](const MessageBoxRecord& box) {
        ++handled;
        EXPECT_EQ(box.text, u"About");
        system.PostMainThreadCall([&] { callTimes.push_back(sim.Now()); });
    });
    system.Notify(u"Keyweave", u"About", false);
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(sim.Now(), 250);
    EXPECT_EQ(callTimes, (std::vector<std::int64_t>{1}));
    EXPECT_EQ(sim.PendingCalls(), 0) << "the ticks at 100 and 200 ran in the modal loop";
    ASSERT_EQ(sim.MessageBoxes().size(), 1u);
    EXPECT_EQ(sim.MessageBoxes()[0].timeMs, 0);
    EXPECT_FALSE(sim.MessageBoxes()[0].serious);
}

TEST_F(SimSystemTest, AMessageBoxIsDismissedAtOnceByDefault) {
    bool ran = false;
    system.PostMainThreadCall([&ran] { ran = true; });
    system.Notify(u"t", u"x", true);
    EXPECT_EQ(sim.Now(), 0);
    EXPECT_FALSE(ran);
}

} // namespace
} // namespace keyweave::sim
