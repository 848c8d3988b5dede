#include "platform/gtk/call_wake.h"

#include <chrono>
#include <gtest/gtest.h>
#include <poll.h>
#include <thread>
#include <vector>

namespace keyweave::gtk {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

bool Readable(const CallWake& wake, int timeoutMs) {
    pollfd descriptor{wake.Fd(), POLLIN, 0};
    return poll(&descriptor, 1, timeoutMs) == 1;
}

TEST(CallWake, APostFromAnotherThreadMakesTheDescriptorReadableUntilAcknowledged) {
    CallWake wake;
    EXPECT_FALSE(Readable(wake, 0));
    const auto start = Clock::now();
    std::thread poster([&wake] {
        std::this_thread::sleep_for(20ms);
        wake.Post([] {});
    });
    EXPECT_TRUE(Readable(wake, 5000));
    const auto waited = Clock::now() - start;
    poster.join();
    EXPECT_GE(waited, 20ms);
    EXPECT_LT(waited, 2s);
    EXPECT_TRUE(wake.Calls().NewCallPending());

    wake.Acknowledge();
    EXPECT_FALSE(Readable(wake, 0));
    EXPECT_TRUE(wake.Calls().Pending()) << "acknowledging runs nothing";
    wake.Post([] {});
    wake.Post([] {});
    EXPECT_TRUE(Readable(wake, 0));
    wake.Acknowledge();
    EXPECT_FALSE(Readable(wake, 0)) << "one acknowledgement for every post before it";
    wake.Calls().RunPending();
    EXPECT_FALSE(wake.Calls().Pending());
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
} // namespace keyweave::gtk
