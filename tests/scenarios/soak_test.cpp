#include "app/program_state.h"
#include "heap_meter.h"
#include "runtime/events/event_queue.h"
#include "runtime/timers/timer.h"
#include "scenario.h"

#include <algorithm>
#include <limits>

namespace keyweave::scenario {
namespace {

using Kind = sim::InjectedAction::Kind;

constexpr std::int64_t kMinute = 60 * 1000;

// A day takes about 20 s of an optimised build. Unoptimised builds, the sanitizers' among
// them, run ten to fifty times slower and play twenty minutes, which still shows any growth
// per pass of the loop.
#ifdef NDEBUG
constexpr std::int64_t kPlayed = 24 * 60 * kMinute;
#else
constexpr std::int64_t kPlayed = 20 * kMinute;
#endif
// The play is watched in steps (a minute of the day), and the heap is compared at every
// checkpoint (an hour of the day).
constexpr std::int64_t kStep = kPlayed / (24 * 60);
constexpr std::int64_t kCheckpoint = 60 * kStep;
constexpr std::size_t kTimerSlackBytes = 1024;

// Waits of several lengths (a refused one of 0 ms among them), key presses, a typed text, a
// click and cursor moves, in a loop of about 80 ms that injects 11 actions.
const Lines kLoop = {"keydown(KEY_A)",
                     "sleep(20)",
                     "mouseloc(100, 200)",
                     "keyup(KEY_A)",
                     "mousestroke(MOUSE_LEFT, 5)",
                     "keystring(AB, 3)",
                     "mouseloc(300, 400)",
                     "restoremouseloc()",
                     "sleep(0)",
                     "sleep(7)"};
constexpr std::size_t kActionsPerPass = 11;

// The program's own memory: the heap without the simulated platform's log of injected
// actions, which keeps every action by design and is emptied each step.
std::size_t ProgramHeapBytes(const Scenario& s) {
    return LiveHeapBytes() - s.sim.Log().capacity() * sizeof(sim::InjectedAction);
}

// What one step of play injected.
struct Step {
    std::size_t actions = 0;
    std::size_t keyDowns = 0;
    std::size_t keyUps = 0;
};

Step CountActions(const Scenario& s) {
    Step step;
    step.actions = s.sim.Log().size();
    for (const auto& action : s.sim.Log()) {
        step.keyDowns += action.kind == Kind::KeyDown ? 1 : 0;
        step.keyUps += action.kind == Kind::KeyUp ? 1 : 0;
    }
    return step;
}

// The steady state of a playing loop: one wait at most, nothing queued, a press or two
// outstanding at most.
void ExpectSteady(const Scenario& s, std::int64_t at) {
    EXPECT_LE(RunningTimerCount(), 1) << at;
    EXPECT_LE(s.sim.RunningTimerCount(), 1) << at;
    EXPECT_LE(EventQueueCount(), 1) << at;
    EXPECT_LE(s.sim.PendingCalls(), 1) << at;
    EXPECT_LE(Program().KeyboardInjectedList.size(), 1u) << at;
    EXPECT_LE(Program().MouseInjectedList.size(), 1u) << at;
    EXPECT_FALSE(Program().BindTimer) << at;
}

TEST(Soak, ADayOfPlayKeepsTimersAndMemoryFlat) {
    Scenario s;
    s.StartWithScript("KEY_F1\r\n", "loop.ini", "Loop", kLoop);
    s.Tap({kF1});
    s.RunUntil(kStep);
    s.sim.ClearLog();

    std::size_t fewest = std::numeric_limits<std::size_t>::max();
    std::size_t most = 0;
    std::size_t firstHeap = 0;
    std::size_t leastHeap = std::numeric_limits<std::size_t>::max();
    std::size_t mostHeap = 0;
    for (std::int64_t end = 2 * kStep; end <= kPlayed + kStep; end += kStep) {
        s.RunUntil(end);
        ExpectSteady(s, end);
        const Step step = CountActions(s);
        EXPECT_LE(step.keyUps, step.keyDowns + 1) << end;
        fewest = std::min(fewest, step.actions);
        most = std::max(most, step.actions);
        s.sim.ClearLog();
        if ((end - kStep) % kCheckpoint != 0) {
            continue;
        }
        const std::size_t heap = ProgramHeapBytes(s);
        if (end == kCheckpoint + kStep) {
            firstHeap = heap;
        } else {
            leastHeap = std::min(leastHeap, heap);
            mostHeap = std::max(mostHeap, heap);
        }
    }
    ::testing::Test::RecordProperty("PlayedMs", std::to_string(kPlayed));
    ::testing::Test::RecordProperty("HeapAtFirstCheckpoint", std::to_string(firstHeap));
    ::testing::Test::RecordProperty("HeapAtLaterCheckpoints",
                                    std::to_string(leastHeap) + ".." + std::to_string(mostHeap));
    ::testing::Test::RecordProperty("ActionsPerStep",
                                    std::to_string(fewest) + ".." + std::to_string(most));
    EXPECT_EQ(Program().Running, 1);
    // The loop kept its pace to the end: no step lost more than one pass.
    EXPECT_GT(fewest, 0u);
    EXPECT_LE(most - fewest, kActionsPerPass);
    // A wait that happens to run at the moment of measuring holds a timer, its queued tick
    // and their bookkeeping; a leak of even a few bytes per pass would be far more.
    EXPECT_LE(mostHeap, firstHeap + kTimerSlackBytes);

    s.Tap({kF1});
    s.RunUntil(s.Now() + 10);
    EXPECT_EQ(Program().Running, 0);
    EXPECT_EQ(RunningTimerCount(), 0);
    EXPECT_TRUE(Program().KeyboardInjectedList.empty());
    EXPECT_TRUE(Program().MouseInjectedList.empty());
    EXPECT_FALSE(s.sim.IsKeyDown(kA));
    EXPECT_FALSE(s.sim.IsButtonDown(1));
}

} // namespace
} // namespace keyweave::scenario
