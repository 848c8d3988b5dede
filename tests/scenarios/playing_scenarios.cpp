#include "app/program_state.h"
#include "scenario.h"

namespace keyweave::scenario {
namespace {

using Kind = sim::InjectedAction::Kind;
using Times = std::vector<std::int64_t>;

// A program bound to F1 with the scripts given, one of them chosen, and played from 1060 on
// (F1 held from 1000 to 1060).
class Playing {
public:
    Playing(const std::string& name, const Lines& statements) {
        s.StartWithScript("KEY_F1\r\n", "script.ini", name, statements);
        s.RunUntil(1000);
        s.Tap({kF1});
    }

    Scenario s;
};

TEST(Playing, PressAndReleaseOfTheCombinationStartsAndStopsWhateverElseIsHeld) {
    Scenario s;
    s.StartWithScript("KEY_LCTRL KEY_F1\r\n", "typer.ini", "Typer",
                      {"keydown(KEY_A)", "sleep(100)", "keyup(KEY_A)"});
    s.RunUntil(200);
    EXPECT_EQ(s.Status(), u"Typer ready.");
    s.Hold(kLeftShift);
    s.RunUntil(1000);
    s.Hold(kLeftCtrl);
    s.Hold(kF1);
    s.RunUntil(1060);
    s.Release(kF1);
    s.RunUntil(1100);
    EXPECT_TRUE(s.Injected().empty());
    s.Release(kLeftCtrl);
    s.RunUntil(1500);

    // Down; the sleep's timer starts a turn later and its tick is seen after 100 ms; up; one
    // turn to start over; down again.
    EXPECT_EQ(s.Times(Kind::KeyDown, kA), (Times{1100, 1206, 1312, 1418}));
    EXPECT_EQ(s.Times(Kind::KeyUp, kA), (Times{1202, 1308, 1414}));

    s.Hold(kF1);
    s.Hold(kLeftCtrl);
    s.RunUntil(1560);
    s.Release(kF1);
    s.Release(kLeftCtrl);
    s.RunUntil(2000);
    EXPECT_EQ(s.Status(), u"Typer stopped.");
    EXPECT_EQ(s.Injected(1500), (Lines{"1520 KeyUp 65", "1524 KeyDown 65", "1560 KeyUp 65"}));
    EXPECT_EQ(s.Times(Kind::KeyDown, kA).size(), 5u);
}

// While nothing plays, and while the script waits for its timer with the cursor free, the
// loop may sleep until something changes; a script with work on every turn, or a pinned
// cursor to keep in place, keeps its 2 ms turns.
TEST(Playing, OnlyTurnsWithNothingToPlayPauseUntilAChange) {
    Playing p("Waiter", {"sleep(100)", "lockmouse()", "sleep(100)", "unlockmouse()"});
    const int idleBefore = p.s.sim.PausesUntilChange();
    EXPECT_GT(idleBefore, 0) << "the turns before the start";
    p.s.RunUntil(1150);
    EXPECT_EQ(Program().Running, 1);
    const int waiting = p.s.sim.PausesUntilChange() - idleBefore;
    EXPECT_GE(waiting, 40) << "about 50 turns of the first wait";
    p.s.RunUntil(1200);
    const int pinned = p.s.sim.PausesUntilChange();
    p.s.RunUntil(1260);
    EXPECT_EQ(p.s.sim.PausesUntilChange(), pinned) << "the pinned cursor's wait keeps 2 ms turns";

    p.s.Tap({kF1});
    p.s.RunUntil(1560);
    EXPECT_EQ(Program().Running, 0);
    EXPECT_GE(p.s.sim.PausesUntilChange(), pinned + 90) << "about 100 turns since the stop";
}

TEST(Playing, PauseHoldsItsPlaceAndTheKeysUntilTheNextStart) {
    Playing p("Pauser", {"keydown(KEY_A)", "pause()", "keyup(KEY_A)", "sleep(50)"});
    p.s.RunUntil(1400);
    EXPECT_EQ(p.s.Status(), u"Pauser paused.");
    EXPECT_EQ(p.s.Injected(), (Lines{"1060 KeyDown 65"}));
    p.s.Tap({kF1});
    p.s.RunUntil(1600);
    EXPECT_EQ(p.s.Injected(1061), (Lines{"1460 KeyUp 65", "1514 KeyDown 65"}));
    EXPECT_EQ(p.s.Status(), u"Pauser paused.");
}

TEST(Playing, StopRewindsSoTheNextStartBeginsAtTheTop) {
    Playing p("Stopper", {"keystroke(KEY_A, 10)", "stop()", "keystroke(KEY_B, 10)"});
    p.s.RunUntil(1400);
    EXPECT_EQ(p.s.Status(), u"Stopper stopped.");
    EXPECT_EQ(Program().Running, 0);
    p.s.Tap({kF1});
    p.s.RunUntil(1600);
    EXPECT_EQ(p.s.Times(Kind::KeyDown, kA), (Times{1060, 1460}));
    EXPECT_TRUE(p.s.Times(Kind::KeyDown, kB).empty());
}

TEST(Playing, RestoreMouseLocReturnsToWhereTheLatestStartFoundTheCursor) {
    Scenario s;
    s.StartWithScript("KEY_F1\r\n", "mover.ini", "Mover",
                      {"mouseloc(10, 20)", "pause()", "mouseloc(30, 40)", "restoremouseloc()"});
    s.MoveMouse(300, 300);
    s.RunUntil(1000);
    s.Tap({kF1});
    s.RunUntil(1200);
    s.MoveMouse(700, 500);
    s.RunUntil(1400);
    s.Tap({kF1});
    s.RunUntil(1470);
    EXPECT_EQ(s.Injected(), (Lines{"1060 Move 10 20", "1460 Move 30 40", "1462 Move 700 500",
                                   "1466 Move 10 20"}));
}

TEST(Playing, AStartThatBeginsWithAKeyTakesTheStartPositionOnItsOwnTurn) {
    Playing p("Typer", {"keydown(KEY_A)", "sleep(100)", "mouseloc(30, 40)", "restoremouseloc()"});
    p.s.MoveMouse(300, 300);
    p.s.RunUntil(1100);
    p.s.MoveMouse(700, 500);
    p.s.RunUntil(1165);
    EXPECT_EQ(p.s.Injected(), (Lines{"1060 KeyDown 65", "1162 Move 30 40", "1164 Move 300 300"}));
}

TEST(Playing, TheLockPutsTheCursorBackEveryTurnAndFollowsMouseLoc) {
    Playing p("Locker", {"mouseloc(500, 300)", "lockmouse()", "sleep(100)", "mouseloc(50, 60)",
                         "sleep(100)", "unlockmouse()", "sleep(5000)"});
    p.s.RunUntil(1100);
    p.s.MoveMouse(900, 700);
    p.s.RunUntil(1101);
    EXPECT_EQ(p.s.sim.Cursor().x, 500);
    EXPECT_EQ(p.s.sim.Cursor().y, 300);

    p.s.RunUntil(1500);
    Lines expected;
    for (int turn = 1064; turn <= 1164; turn += 2) {
        expected.push_back(std::to_string(turn) + " Move 500 300");
    }
    expected.push_back("1164 Move 50 60");
    for (int turn = 1166; turn <= 1266; turn += 2) {
        expected.push_back(std::to_string(turn) + " Move 50 60");
    }
    EXPECT_EQ(p.s.Injected(1062), expected);

    p.s.MoveMouse(1, 1);
    p.s.RunUntil(1600);
    EXPECT_EQ(p.s.sim.Cursor().x, 1);
    EXPECT_EQ(p.s.Injected(1500).size(), 0u);
}

TEST(Playing, AScriptWithoutCommandsKeepsTheProgramResponsive) {
    Playing p("Empty", {});
    p.s.RunUntil(1500);
    EXPECT_EQ(p.s.Status(), u"Empty ready.");
    p.s.Tap({kF1});
    p.s.RunUntil(1600);
    EXPECT_EQ(p.s.Status(), u"Empty stopped.");
    EXPECT_TRUE(p.s.Injected().empty());
}

} // namespace
} // namespace keyweave::scenario
