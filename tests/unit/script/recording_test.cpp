#include "script/recording.h"
#include "script/timing.h"
#include "unit/script/script_test_support.h"

#include <cmath>
#include <random>

namespace keyweave::testing {
namespace {

TEST(TimingTest, EveryWaitIsMadeOfSleepsThatLastExactlyAsLong) {
    EXPECT_EQ(WaitPeriodMs(3), 2);
    EXPECT_EQ(WaitPeriodMs(5000), 4999);
    EXPECT_EQ(WaitPeriodMs(0), 0);
    EXPECT_EQ(WaitPeriodMs(-5), 0);
    EXPECT_EQ(WaitPeriodMs(2000000), 0);
    EXPECT_EQ(SleepLasting(3), 0);
    EXPECT_EQ(SleepLasting(4999), 5000);

    const auto lasting = [](std::int64_t ms) {
        std::int64_t total = 0;
        for (const std::int32_t value : SleepsLasting(ms)) {
            const std::int64_t period = WaitPeriodMs(value);
            EXPECT_GT(period, 0) << ms;
            total += period;
        }
        return total;
    };
    for (std::int64_t ms = 1; ms <= 20000; ++ms) {
        ASSERT_EQ(lasting(ms), ms);
        ASSERT_LE(SleepsLasting(ms).size(), SleepLasting(ms) ? 1u : 2u) << ms;
    }
    for (std::int64_t ms : {999999LL, 1000000LL, 1000001LL, 3600000LL}) {
        EXPECT_EQ(lasting(ms), ms);
    }
    EXPECT_TRUE(SleepsLasting(0).empty());
}

// When each command of a transcription but its waits runs, by the player's rules.
struct Played {
    std::vector<double> times;
    std::vector<std::string> lines;
    std::int64_t passMs = 0; // until the next pass starts
};

Played Play(const CommandList& commands) {
    Played played;
    std::int64_t now = 0;
    for (const TCommand& command : commands) {
        if (command.Performs == Operation::Wait) {
            now += WaitPeriodMs(command.Value);
        } else {
            played.times.push_back(static_cast<double>(now));
            played.lines.push_back(ToUtf8(command.StatementLine()));
            now += kTurnMs;
        }
    }
    played.passMs = now + kTurnMs;
    return played;
}

RecordedAction Key(double time, Operation operation) {
    return {time, operation, 65, 0, 0};
}

class TranscriptionTest : public KeyTableFixture {};

// Raw input timed in fractions of a millisecond: every gap kept within a millisecond, and
// no event more than a millisecond off its time, over an hour of typing.
TEST_F(TranscriptionTest, FractionalTimesKeepEveryGapAndNeverDrift) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> gap(5.0, 400.0);
    Recording recording;
    double time = 0;
    for (int i = 0; i < 20000; ++i) {
        time += gap(random);
        recording.actions.push_back(Key(time, i % 2 ? Operation::ReleaseKey : Operation::PressKey));
    }
    const Played played = Play(TranscribeRecording(recording));
    ASSERT_EQ(played.times.size(), recording.actions.size());
    double previous = 0;
    for (std::size_t i = 0; i < played.times.size(); ++i) {
        const double recorded = recording.actions[i].timeMs;
        ASSERT_LE(std::abs(played.times[i] - recorded), 1.0 + 1e-9) << i;
        const double gapError =
            (played.times[i] - (i ? played.times[i - 1] : 0)) - (recorded - previous);
        ASSERT_LE(std::abs(gapError), 1.0 + 1e-9) << i;
        previous = recorded;
    }
}

// A burst of events under 5 ms apart replays a turn apart, and the waits after it make up
// for the delay a millisecond per gap, never shortening a gap by more.
TEST_F(TranscriptionTest, ABurstFallsBehindAndTheNextGapsCatchUp) {
    Recording recording;
    for (double time : {100.0, 101.0, 102.0, 103.0, 104.0, 110.0, 120.0, 130.0, 140.0}) {
        recording.actions.push_back(Key(time, Operation::PressKey));
    }
    EXPECT_EQ(Play(TranscribeRecording(recording)).times,
              (std::vector<double>{100, 102, 104, 106, 108, 113, 122, 131, 141}));
}

// The cursor moving for a second with a position every millisecond: one position every 10 ms,
// the last one exactly, and each button right after the cursor reaches its pixel.
TEST_F(TranscriptionTest, APathKeepsAPositionEveryTenMillisecondsAndButtonsTheirPixel) {
    Recording recording;
    for (int ms = 1; ms <= 1000; ++ms) {
        recording.actions.push_back({double(ms), Operation::MoveCursor, 0, ms, 2 * ms});
    }
    recording.actions.push_back({1005, Operation::PressButton, 1, 1000, 2000});
    recording.actions.push_back({1105, Operation::ReleaseButton, 1, 999, 999});
    recording.lengthMs = 1200;
    const Played played = Play(TranscribeRecording(recording));
    const std::size_t path = played.lines.size() - 3;
    ASSERT_GE(path, 99u);
    EXPECT_LE(path, 101u);
    for (std::size_t i = 1; i < path; ++i) {
        EXPECT_LE(played.times[i] - played.times[i - 1], 10) << i;
    }
    EXPECT_EQ(played.lines[path - 1], "MouseLoc(1000, 2000)");
    EXPECT_EQ(std::vector(played.lines.begin() + path, played.lines.end()),
              (std::vector<std::string>{"MouseDown(MOUSE_LEFT)", "MouseLoc(999, 999)",
                                        "MouseUp(MOUSE_LEFT)"}));
    EXPECT_EQ(std::vector(played.times.begin() + path, played.times.end()),
              (std::vector<double>{1005, 1103, 1105}));
    EXPECT_EQ(played.passMs, 1200);
}

TEST_F(TranscriptionTest, LongPausesAndTheLastWaitKeepTheRhythm) {
    Recording recording;
    recording.actions = {Key(3600000, Operation::PressKey), Key(3600050, Operation::ReleaseKey)};
    recording.lengthMs = 3600500;
    const Played played = Play(TranscribeRecording(recording));
    EXPECT_EQ(played.times, (std::vector<double>{3600000, 3600050}));
    EXPECT_EQ(played.passMs, 3600500);

    // Events after the press that ended it leave no time for a last wait.
    recording.lengthMs = 3600020;
    EXPECT_EQ(Play(TranscribeRecording(recording)).passMs, 3600054);
}

} // namespace
} // namespace keyweave::testing
