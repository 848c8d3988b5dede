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

// The clock moves only forward, and a pause of nothing takes no time.
TEST_F(SimSystemTest, TheClockNeverMovesBack) {
    sim.Advance(8);
    sim.Advance(-5);
    system.Sleep(0);
    EXPECT_EQ(sim.Now(), 8);
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
