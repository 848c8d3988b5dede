#include "simulation.h"
#include "unit/check/check_test_support.h"

#include <gtest/gtest.h>

namespace keyweave {
namespace {

class SimulationTest : public testing::CheckerTest {
protected:
    // What a dry run of the file for `ms` milliseconds printed; the run must succeed.
    static std::string Simulated(const std::string& path, const std::string& ms) {
        const testing::CheckRun run = Run({"--simulate", ms, path});
        EXPECT_EQ(run.status, 0);
        return run.out;
    }
};

TEST_F(SimulationTest, TheWorkedExamplePlaysItsActionsInOrderAndPauses) {
    const std::string path = Write(u"worked.ini", testing::kWorkedExample);
    const testing::CheckRun run = Run({"--simulate", "60000", path});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "0 keydown 32 KEY_SPACE\n"
                       "52 keyup 32 KEY_SPACE\n"
                       "1054 keydown 65 KEY_A\n"
                       "1066 keyup 65 KEY_A\n"
                       "1078 keydown 66 KEY_B\n"
                       "1090 keyup 66 KEY_B\n"
                       "1102 keydown 49 KEY_1\n"
                       "1114 keyup 49 KEY_1\n"
                       "1116 move 400 300\n"
                       "1118 mousedown 1 MOUSE_LEFT\n"
                       "1140 mouseup 1 MOUSE_LEFT\n"
                       "1142 paused\n");
    EXPECT_EQ(run.ErrLines().size(), 2u);
}

TEST_F(SimulationTest, MovesArePrintedOnlyWhenTheCursorMoves) {
    const std::string path = Write(u"lock.ini", "?kweaver\n"
                                                "{Lock\n"
                                                "lockmouse()\n"
                                                "mouseloc(10,10)\n"
                                                "mouseloc(10,10)\n"
                                                "keydown(Shift)\n"
                                                "keyup(Shift)\n"
                                                "restoremouseloc()\n"
                                                "unlockmouse()\n"
                                                "restoremouseloc()\n"
                                                "stop()\n"
                                                "keydown(KEY_A)\n");
    EXPECT_EQ(Simulated(path, "1000"), "2 move 10 10\n"
                                       "6 keydown 0 ?\n"
                                       "8 keyup 0 ?\n"
                                       "10 move 960 540\n"
                                       "12 move 10 10\n"
                                       "14 move 960 540\n"
                                       "16 stopped\n");
}

TEST_F(SimulationTest, ARepeatingScriptPlaysUntilTheTimeIsUp) {
    const std::string path = Write(u"loop.ini", "?kweaver\n{Loop\nkeystroke(KEY_A, 40)\n");
    EXPECT_EQ(Simulated(path, "100"), "0 keydown 65 KEY_A\n"
                                      "42 keyup 65 KEY_A\n"
                                      "46 keydown 65 KEY_A\n"
                                      "88 keyup 65 KEY_A\n"
                                      "92 keydown 65 KEY_A\n");
    EXPECT_EQ(Simulated(path, "0"), "");
}

TEST_F(SimulationTest, ALongRunIsWrittenAsItGoesAndFlushedWhileTheLogStaysSmall) {
    const std::string path = Write(u"loop.ini", "?kweaver\n{Loop\nkeystroke(KEY_A, 40)\n");
    // A pass every 46 ms, as in the short run above; the run ends just after a keydown.
    constexpr int kPasses = 2000;
    std::string expected;
    for (int pass = 0; pass < kPasses; ++pass) {
        expected += std::to_string(46 * pass) + " keydown 65 KEY_A\n" +
                    std::to_string(46 * pass + 42) + " keyup 65 KEY_A\n";
    }
    expected += std::to_string(46 * kPasses) + " keydown 65 KEY_A\n";

    testing::WatchedOutput watched;
    std::ostream out(&watched);
    std::ostringstream err;
    const std::int64_t runMs = 46 * kPasses + 10;
    EXPECT_EQ(check::RunCheck({"--simulate", std::to_string(runMs), path}, out, err), 0);
    EXPECT_EQ(watched.text, expected);
    EXPECT_LE(watched.longestLog, 2u);
    EXPECT_LT(watched.firstLineAtMs, 10);
    EXPECT_GE(watched.firstFlushAtMs, 0);
    EXPECT_LT(watched.firstFlushAtMs, runMs / 10);
}

TEST_F(SimulationTest, OnlyScriptsAreSimulated) {
    const testing::CheckRun run =
        Run({"--simulate", "100", Write(u"marked.ini", "\xEF\xBB\xBF?kweaver\n{M\nstop()\n")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.ErrLines().size(), 2u);
}

TEST_F(SimulationTest, UsageErrors) {
    const std::string path = Write(u"loop.ini", "?kweaver\n{Loop\nkeystroke(KEY_A, 40)\n");
    const std::string beyond =
        "--simulate takes at most " + std::to_string(check::kLongestSimulationMs) + " milliseconds";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--simulate"}, "--simulate needs a number of milliseconds"},
        {{"--simulate", path}, "--simulate needs a number of milliseconds"},
        {{"--simulate", "-5", path}, "--simulate needs a number of milliseconds"},
        {{"--simulate", "10ms", path}, "--simulate needs a number of milliseconds"},
        {{"--simulate", "10", path, path}, "--simulate takes exactly one file"},
        {{"--simulate", "10", "--list", path}, "--list and --simulate exclude each other"},
        {{"--simulate", std::to_string(check::kLongestSimulationMs + 1), path}, beyond},
        {{"--simulate", "99999999999999999999", path}, beyond},
    };
    for (const auto& [args, problem] : cases) {
        const testing::CheckRun run = Run(args);
        EXPECT_EQ(run.status, 2) << problem;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "keyweave-check: " + problem + "\nTry \"keyweave-check --help\".\n");
    }

    EXPECT_EQ(Simulated(Write(u"stop.ini", "?kweaver\n{Stop\nstop()\n"),
                        std::to_string(check::kLongestSimulationMs)),
              "0 stopped\n");
}

} // namespace
} // namespace keyweave
