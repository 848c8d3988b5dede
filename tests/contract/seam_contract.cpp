// The promises of the platform seams, written once and run on every platform: the simulated
// one (unit_tests), the Linux build on Xvfb (x11_platform_tests) and the Windows build under
// Wine (win32_platform_tests). Times are exact on the simulated platform and allowed to be
// late by LateMs() on the real ones, never early.

#include "seam_contract.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

namespace keyweave::contract {
namespace {

ContractPlatform& Under() {
    return TheContractPlatform();
}

SystemDriver& System() {
    return Under().Seams().System();
}

void PostEmptyCall(std::uint32_t, std::uintptr_t) {
    System().PostMainThreadCall([] {});
}

class Seams : public ::testing::Test {
protected:
    void SetUp() override { System().Poll(); }
    void TearDown() override {
        Under().JoinElsewhere();
        System().Poll();
    }

    // How long `pause` lasts, on the platform's clock.
    template <typename Pause> double Lasts(Pause pause) {
        const double start = Under().NowMs();
        pause();
        return Under().NowMs() - start;
    }

    // `lasted` is `wanted` or later by at most LateMs().
    static void ExpectOnTime(double lasted, double wanted, const char* what) {
        EXPECT_GE(lasted, wanted - 1.0) << what;
        EXPECT_LE(lasted, wanted + Under().LateMs()) << what;
    }
};

TEST_F(Seams, CallsPostedElsewhereRunAtTheNextPumpInPostingOrder) {
    std::vector<int> numbers;
    Under().Elsewhere(0, [&numbers] {
        for (int n = 0; n < 100; ++n) {
            System().PostMainThreadCall([&numbers, n] { numbers.push_back(n); });
        }
    });
    Under().JoinElsewhere();
    EXPECT_TRUE(numbers.empty());
    System().Poll();
    ASSERT_EQ(numbers.size(), 100u);
    for (int n = 0; n < 100; ++n) {
        EXPECT_EQ(numbers[static_cast<std::size_t>(n)], n);
    }
}

TEST_F(Seams, AFailingCallComesOutOfThePumpAndTheCallsAfterItStillRun) {
    System().PostMainThreadCall([] { throw std::runtime_error("call failed"); });
    bool later = false;
    System().PostMainThreadCall([&later] { later = true; });
    EXPECT_THROW(System().Poll(), std::runtime_error);
    EXPECT_TRUE(later);
    EXPECT_NO_THROW(System().Poll());
}

// Wait may return for a platform message as well; the call runs at the Wait that follows it.
TEST_F(Seams, WaitReturnsOnceACallIsPosted) {
    bool ran = false;
    Under().Elsewhere(50, [&ran] { System().PostMainThreadCall([&ran] { ran = true; }); });
    ExpectOnTime(Lasts([&ran] {
                     const double deadline = Under().NowMs() + 1000;
                     while (!ran && Under().NowMs() < deadline) {
                         System().Wait();
                     }
                 }),
                 50, "wait");
    EXPECT_TRUE(ran);
}

int modalTicks = 0;

// Counts five ticks in the box's modal loop, then ends the box.
void DismissAfterFiveTicks(std::uint32_t, std::uintptr_t) {
    System().PostMainThreadCall([] {
        if (modalTicks < 5 && ++modalTicks == 5) {
            Under().DismissMessageBox();
        }
    });
}

TEST_F(Seams, CallsRunInsideAMessageBoxsModalLoop) {
    modalTicks = 0;
    TimerSource& timers = Under().Seams().Timers();
    const std::uint32_t timer = timers.StartPeriodic(20, DismissAfterFiveTicks, 0);
    ASSERT_NE(timer, 0u);
    System().Notify(u"Keyweave contract", u"Five ticks in the box's loop.", false);
    timers.Kill(timer);
    EXPECT_EQ(modalTicks, 5);
}

TEST_F(Seams, APauseLastsItsLength) {
    constexpr int kPauses = 200;
    const double mean = Lasts([] {
                            for (int pause = 0; pause < kPauses; ++pause) {
                                System().Sleep(2);
                            }
                        }) /
                        kPauses;
    std::printf("figure: Sleep(2) lasts %.3f ms on average\n", mean);
    EXPECT_GE(mean, 1.9);
}

// A tick's call ends the pause at once; a call that was waiting already when the previous pause
// ended does not shorten the next one, pumped or not.
TEST_F(Seams, ATickEndsThePauseButACallAlreadyWaitingDoesNot) {
    TimerSource& timers = Under().Seams().Timers();
    System().Sleep(1);
    const std::uint32_t timer = timers.StartPeriodic(30, PostEmptyCall, 0);
    ASSERT_NE(timer, 0u);
    ExpectOnTime(Lasts([] { System().Sleep(500); }), 30, "the pause of the tick");
    timers.Kill(timer);
    EXPECT_GE(Lasts([] { System().Sleep(20); }), 19.0) << "the tick's call waits, seen";
    System().Poll();
    EXPECT_GE(Lasts([] { System().Sleep(20); }), 19.0);

    Under().Elsewhere(10, [] { System().PostMainThreadCall([] {}); });
    ExpectOnTime(Lasts([] { System().Sleep(200); }), 10, "the pause of a call from elsewhere");
}

// A turn that sent input lasts as long as one that did not: its pause counts from the first
// sending, but never from longer ago than the pause lasts.
struct PauseAfterSending {
    double endFromSending; // when the 30 ms pause ended, from the sending
    double lasted;         // how long the pause itself lasted
};

PauseAfterSending SendThenPause(int sentBeforeMs) {
    System().Sleep(1);
    const double sent = Under().NowMs();
    Under().Seams().Mouse().MoveCursor(5, 5);
    Under().Pass(static_cast<int>(sent + sentBeforeMs - Under().NowMs()));
    const double start = Under().NowMs();
    System().Sleep(30);
    const double end = Under().NowMs();
    return {end - sent, end - start};
}

TEST_F(Seams, APauseCountsFromTheTurnsFirstSending) {
    ExpectOnTime(SendThenPause(10).endFromSending, 30, "sent 10 ms before the pause");
    ExpectOnTime(SendThenPause(40).lasted, 0, "sent longer ago than the pause");
    EXPECT_GE(Lasts([] { System().Sleep(30); }), 29.0) << "nothing sent";
}

struct TickTimes {
    std::vector<double> times;
};

void LogTick(std::uint32_t, std::uintptr_t user) {
    auto* log = reinterpret_cast<TickTimes*>(user);
    System().PostMainThreadCall([log] { log->times.push_back(Under().NowMs()); });
}

// Ticks reach the main thread once per period, never before their deadline, and no more once
// their timer is killed.
class TimerPeriods : public Seams, public ::testing::WithParamInterface<int> {};

TEST_P(TimerPeriods, ATimerTicksOncePerPeriodUntilKilled) {
    const int period = GetParam();
    const std::size_t wanted = period <= 2 ? 100 : period <= 10 ? 30 : 6;
    TimerSource& timers = Under().Seams().Timers();
    TickTimes log;
    System().Sleep(2);
    const double start = Under().NowMs();
    const std::uint32_t timer = timers.StartPeriodic(static_cast<std::uint32_t>(period), LogTick,
                                                     reinterpret_cast<std::uintptr_t>(&log));
    ASSERT_NE(timer, 0u);
    const double deadline = start + period * static_cast<double>(wanted) * 3 + 1000;
    while (log.times.size() < wanted && Under().NowMs() < deadline) {
        System().Wait();
    }
    timers.Kill(timer);
    System().Poll();
    ASSERT_GE(log.times.size(), wanted);
    for (std::size_t tick = 0; tick < log.times.size(); ++tick) {
        EXPECT_GE(log.times[tick] - start, period * static_cast<double>(tick + 1) - 0.01)
            << "tick " << tick + 1;
    }
    const double mean =
        (log.times.back() - log.times.front()) / static_cast<double>(log.times.size() - 1);
    std::printf("figure: %d ms timer: mean period %.3f ms over %zu periods\n", period, mean,
                log.times.size() - 1);
    // The median, not the mean: a busy machine may hold one tick back by a whole period, which
    // says nothing of the timer's rate.
    std::vector<double> periods;
    for (std::size_t tick = 1; tick < log.times.size(); ++tick) {
        periods.push_back(log.times[tick] - log.times[tick - 1]);
    }
    std::nth_element(periods.begin(), periods.begin() + periods.size() / 2, periods.end());
    EXPECT_NEAR(periods[periods.size() / 2], period, period * 0.15 + 0.3);

    const std::size_t ticks = log.times.size();
    Under().Pass(3 * period);
    System().Poll();
    EXPECT_EQ(log.times.size(), ticks);
}

INSTANTIATE_TEST_SUITE_P(Periods, TimerPeriods, ::testing::Values(2, 10, 100));

TEST_F(Seams, PeriodsOfZeroOrBeyondTheLongestAreRefused) {
    TimerSource& timers = Under().Seams().Timers();
    EXPECT_EQ(timers.StartPeriodic(0, PostEmptyCall, 0), 0u);
    EXPECT_EQ(timers.StartPeriodic(kMaxTimerPeriodMs + 1, PostEmptyCall, 0), 0u);
    // Windows takes periods up to 1000000 ms, Wine up to 65535 ms.
    const std::uint32_t minute = timers.StartPeriodic(60000, PostEmptyCall, 0);
    EXPECT_NE(minute, 0u);
    timers.Kill(minute);
}

} // namespace
} // namespace keyweave::contract
