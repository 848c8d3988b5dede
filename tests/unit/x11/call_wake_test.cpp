#include "platform/x11/call_wake.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace keyweave::x11 {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

TEST(CallWake, AWaitEndsWhenAnotherThreadPosts) {
    CallWake wake;
    const auto start = Clock::now();
    std::thread poster([&wake] {
        std::this_thread::sleep_for(20ms);
        wake.Post([] {});
    });
    EXPECT_TRUE(wake.WaitForNewCall(start + 5s));
    const auto waited = Clock::now() - start;
    poster.join();
    EXPECT_GE(waited, 20ms);
    EXPECT_LT(waited, 2s);
}

TEST(CallWake, AWaitLastsToItsDeadlineUnlessACallIsNewSinceThePauseEnded) {
    CallWake wake;
    auto start = Clock::now();
    EXPECT_FALSE(wake.WaitForNewCall(start + 20ms));
    EXPECT_GE(Clock::now() - start, 20ms);

    wake.Post([] {});
    EXPECT_TRUE(wake.WaitForNewCall(Clock::now() + 5s)) << "posted before the wait began";
    wake.Calls().PauseEnded();
    start = Clock::now();
    EXPECT_FALSE(wake.WaitForNewCall(start + 20ms)) << "still pending, but already seen";
    EXPECT_GE(Clock::now() - start, 20ms);
    EXPECT_TRUE(wake.Calls().Pending());
}

// The core's queue itself, posted to from several threads at once without a lock, as the
// Windows timer thread posts.
TEST(MainThreadCallQueue, EveryThreadsCallsArriveInTheirOrder) {
    MainThreadCallQueue queue;
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
