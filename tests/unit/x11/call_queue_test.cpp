#include "platform/x11/call_queue.h"

#include <chrono>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace keyweave::x11 {
namespace {

TEST(CallQueue, RunsCallsInPostingOrder) {
    CallQueue queue;
    std::string order;
    EXPECT_FALSE(queue.Pending());
    for (char c : std::string("abc")) {
        queue.Post([&order, c] { order += c; });
    }
    EXPECT_TRUE(queue.Pending());
    queue.RunPending();
    EXPECT_EQ(order, "abc");
    EXPECT_FALSE(queue.Pending());
}

TEST(CallQueue, ACallPostedByARunningCallWaitsForTheNextRun) {
    CallQueue queue;
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

TEST(CallQueue, CallsNeverNest) {
    CallQueue queue;
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

TEST(CallQueue, AThrowingCallIsKeptUntilRaisedAndLaterCallsStillRun) {
    CallQueue queue;
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

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(CallQueue, AWaitEndsWhenAnotherThreadPosts) {
    CallQueue queue;
    const auto start = Clock::now();
    std::thread poster([&queue] {
        std::this_thread::sleep_for(20ms);
        queue.Post([] {});
    });
    EXPECT_TRUE(queue.WaitForNewCall(start + 5s));
    const auto waited = Clock::now() - start;
    poster.join();
    EXPECT_GE(waited, 20ms);
    EXPECT_LT(waited, 2s);
}

TEST(CallQueue, AWaitLastsToItsDeadlineUnlessACallIsNew) {
    CallQueue queue;
    auto start = Clock::now();
    EXPECT_FALSE(queue.WaitForNewCall(start + 20ms));
    EXPECT_GE(Clock::now() - start, 20ms);

    queue.Post([] {});
    EXPECT_TRUE(queue.WaitForNewCall(Clock::now() + 5s)) << "posted before the wait began";
    start = Clock::now();
    EXPECT_FALSE(queue.WaitForNewCall(start + 20ms)) << "still pending, but already seen";
    EXPECT_GE(Clock::now() - start, 20ms);
    EXPECT_TRUE(queue.Pending());
}

TEST(CallQueue, EveryThreadsCallsArriveInTheirOrder) {
    CallQueue queue;
    constexpr int kThreads = 4;
    constexpr int kCalls = 2000;
    std::vector<std::vector<int>> seen(kThreads);
    std::vector<std::thread> posters;
    for (int t = 0; t < kThreads; ++t) {
        posters.emplace_back([&queue, &seen, t] {
            for (int i = 0; i < kCalls; ++i) {
                queue.Post([&seen, t, i] { seen[t].push_back(i); });
            }
        });
    }
    int runs = 0;
    auto allSeen = [&] {
        std::size_t total = 0;
        for (const auto& calls : seen) {
            total += calls.size();
        }
        return total == kThreads * kCalls;
    };
    while (!allSeen() && runs < 1000000) {
        queue.RunPending();
        ++runs;
    }
    for (auto& poster : posters) {
        poster.join();
    }
    queue.RunPending();
    for (int t = 0; t < kThreads; ++t) {
        ASSERT_EQ(seen[t].size(), static_cast<std::size_t>(kCalls));
        for (int i = 0; i < kCalls; ++i) {
            ASSERT_EQ(seen[t][i], i);
        }
    }
}

} // namespace
} // namespace keyweave::x11
