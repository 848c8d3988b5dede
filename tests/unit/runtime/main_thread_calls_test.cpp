#include "runtime/system/main_thread_calls.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace keyweave {
namespace {

TEST(MainThreadCallQueue, RunsCallsInPostingOrder) {
    MainThreadCallQueue queue;
    std::string order;
    EXPECT_FALSE(queue.Pending());
    for (char c : std::string("abc")) {
        queue.Post([&order, c] { order += c; });
    }
    EXPECT_TRUE(queue.Pending());
    EXPECT_EQ(queue.PendingCount(), 3);
    queue.RunPending();
    EXPECT_EQ(order, "abc");
    EXPECT_FALSE(queue.Pending());
    EXPECT_EQ(queue.PendingCount(), 0);
}

TEST(MainThreadCallQueue, ACallPostedByARunningCallWaitsForTheNextRun) {
    MainThreadCallQueue queue;
    std::string order;
    queue.Post([&] {
        order += '1';
        queue.Post([&] { order += '3'; });
    });
    queue.Post([&] { order += '2'; });
    queue.RunPending();
    EXPECT_EQ(order, "12");
    EXPECT_TRUE(queue.Pending());
    queue.RunPending();
    EXPECT_EQ(order, "123");
}

TEST(MainThreadCallQueue, CallsNeverNest) {
    MainThreadCallQueue queue;
    std::string order;
    queue.Post([&] {
        order += "outer(";
        queue.RunPending(); // as a modal loop inside a call would
        order += ")";
    });
    queue.Post([&] { order += "next"; });
    queue.RunPending();
    EXPECT_EQ(order, "outer()next");
}

TEST(MainThreadCallQueue, AThrowingCallIsKeptUntilRaisedAndLaterCallsStillRun) {
    MainThreadCallQueue queue;
    std::string order;
    queue.Post([&] { order += 'a'; });
    queue.Post([] { throw std::runtime_error("first"); });
    queue.Post([] { throw std::logic_error("second"); });
    queue.Post([&] { order += 'b'; });
    EXPECT_NO_THROW(queue.RunPending());
    EXPECT_EQ(order, "ab");
    EXPECT_THROW(queue.RaiseFailure(), std::runtime_error);
    EXPECT_NO_THROW(queue.RaiseFailure()) << "raised once only";

    queue.Post([&] { order += 'c'; });
    queue.RunPending();
    EXPECT_EQ(order, "abc") << "the run after a failure is not taken for a nested one";
}

TEST(MainThreadCallQueue, OnlyACallPostedSinceThePreviousPauseIsNew) {
    MainThreadCallQueue queue;
    EXPECT_FALSE(queue.NewCallPending());
    queue.Post([] {});
    EXPECT_TRUE(queue.NewCallPending()) << "posted before the pause began";
    queue.PauseEnded();
    EXPECT_FALSE(queue.NewCallPending()) << "still pending, but already seen";
    EXPECT_TRUE(queue.Pending());

    queue.Post([] {});
    queue.RunPending();
    EXPECT_FALSE(queue.NewCallPending()) << "new, but it ran already";
}

} // namespace
} // namespace keyweave
