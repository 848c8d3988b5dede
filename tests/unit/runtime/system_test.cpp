#include "runtime/events/hooks.h"
#include "runtime/gui/gadget.h"
#include "runtime/system/system.h"
#include "runtime_fixture.h"

#include <vector>

namespace keyweave {
namespace {

using SystemTest = RuntimeTest;

TEST_F(SystemTest, CallsRunAtTheNextPumpInPostingOrder) {
    std::vector<int> ran;
    PostMainThreadCall([&ran] { ran.push_back(1); });
    PostMainThreadCall([&ran] { ran.push_back(2); });
    SleepMs(50);
    EXPECT_TRUE(ran.empty()) << "nothing runs before the main thread pumps";
    PumpMessages();
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
}

TEST_F(SystemTest, APumpFromInsideAPumpReturnsAtOnce) {
    std::vector<int> ran;
    PostMainThreadCall([&ran] {
        ran.push_back(1);
        EXPECT_TRUE(IsPumping());
        PostMainThreadCall([&ran] { ran.push_back(3); });
        PumpMessages();
        WaitAndPumpMessages();
        ran.push_back(2);
    });
    PumpMessages();
    EXPECT_EQ(ran, (std::vector<int>{1, 2, 3}))
        << "the nested pumps ran nothing; the outer one ran the later call";
    EXPECT_FALSE(IsPumping());
}

TEST_F(SystemTest, APumpLeftByAnExceptionCanPumpAgain) {
    PostMainThreadCall([] { throw RuntimeError("inside"); });
    EXPECT_THROW(PumpMessages(), RuntimeError);
    bool ran = false;
    PostMainThreadCall([&ran] { ran = true; });
    PumpMessages();
    EXPECT_TRUE(ran);
}

TEST_F(SystemTest, NotifyShowsTheApplicationTitleAndReturnsZero) {
    SetApplicationTitle(u"Keyweave");
    SleepMs(20);
    EXPECT_EQ(Notify(u"You need to bind the Start/Stop key!", true), 0);
    ASSERT_EQ(sim.MessageBoxes().size(), 1u);
    const sim::MessageBoxRecord& box = sim.MessageBoxes()[0];
    EXPECT_EQ(box.timeMs, 20);
    EXPECT_EQ(box.title, u"Keyweave");
    EXPECT_EQ(box.text, u"You need to bind the Start/Stop key!");
    EXPECT_TRUE(box.serious);
}

TEST_F(SystemTest, EndProcessEndsThroughThePlatform) {
    try {
        EndProcess(3);
        FAIL() << "EndProcess returned";
    } catch (const sim::ProcessExit& exit) {
        EXPECT_EQ(exit.status, 3);
    }
}

} // namespace
} // namespace keyweave
