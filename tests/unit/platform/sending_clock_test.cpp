#include "platform/sending_clock.h"

#include <gtest/gtest.h>

namespace keyweave {
namespace {

struct TestClock {
    static inline double nowMs = 0;
    static double now() { return nowMs; }
};

void SendAt(SendingClock<TestClock>& clock, double ms) {
    TestClock::nowMs = ms;
    clock.Sending();
}

// A 2 ms pause after a turn that sent input counts from the first sending, or from the tick
// that began the turn when the sending came within the reach of it; it never ends before it
// begins, and a turn that sent nothing pauses the whole time.
TEST(SendingClockTest, APauseCountsFromTheFirstSendingOrFromTheTickThatBeganTheTurn) {
    SendingClock<TestClock> clock(1.0);
    clock.TurnBegan(100, true);
    SendAt(clock, 100.3);
    SendAt(clock, 100.5);
    EXPECT_DOUBLE_EQ(clock.TakePauseEnd(100.6, 2.0), 102.0);

    clock.TurnBegan(200, true);
    SendAt(clock, 201.5);
    EXPECT_DOUBLE_EQ(clock.TakePauseEnd(201.6, 2.0), 203.5) << "sent beyond the reach";

    clock.TurnBegan(300, false);
    SendAt(clock, 300.3);
    EXPECT_DOUBLE_EQ(clock.TakePauseEnd(300.4, 2.0), 302.3) << "no tick began the turn";

    clock.TurnBegan(400, true);
    EXPECT_DOUBLE_EQ(clock.TakePauseEnd(400.2, 2.0), 402.2) << "nothing sent";

    clock.TurnBegan(500, false);
    SendAt(clock, 500.1);
    EXPECT_DOUBLE_EQ(clock.TakePauseEnd(503.0, 2.0), 503.0) << "sent longer ago than the pause";
}

TEST(SendingClockTest, WithoutAReachThePauseCountsFromTheSendingEvenAfterATick) {
    SendingClock<TestClock> clock;
    clock.TurnBegan(100, true);
    SendAt(clock, 100.3);
    EXPECT_DOUBLE_EQ(clock.TakePauseEnd(100.4, 2.0), 102.3);
}

} // namespace
} // namespace keyweave
