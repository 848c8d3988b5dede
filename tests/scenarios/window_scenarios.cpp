#include "app/program_state.h"
#include "runtime/strings.h"
#include "runtime/timers/timer.h"
#include "scenario.h"

namespace keyweave::scenario {
namespace {

using Kind = sim::InjectedAction::Kind;
using ColourRun = sim::SimGadget::Run;

constexpr Rgb kYellow{255, 255, 0};
constexpr Rgb kGreen{0, 255, 102};
constexpr Rgb kRed{255, 100, 100};
constexpr Rgb kCyan{147, 255, 255};
constexpr Rgb kWhite{255, 255, 255};

// Bound to F1, with a script that holds A and the left button and then waits, and one that
// strokes B; Holder plays from 1060 on.
class HolderPlaying {
public:
    HolderPlaying() {
        s.WriteSettings("KEY_F1\r\n");
        s.AddScript("holder.ini", "Holder",
                    {"keydown(KEY_A)", "mousedown(MOUSE_LEFT)", "sleep(10000)", "keyup(KEY_A)",
                     "mouseup(MOUSE_LEFT)"});
        s.AddScript("typer.ini", "Typer", {"keystroke(KEY_B, 10)"});
        s.Start();
        s.PickScript(u"Holder");
        s.RunUntil(1000);
        s.Tap({kF1});
        s.RunUntil(1200);
    }

    Scenario s;
};

TEST(Window, ChoosingAnotherScriptWhileOnePlaysSwitchesToItsFirstCommand) {
    HolderPlaying h;
    EXPECT_EQ(h.s.Injected(), (Lines{"1060 KeyDown 65", "1062 MouseDown 1"}));
    h.s.PickScript(u"Typer");
    h.s.RunUntil(1210);
    EXPECT_EQ(h.s.Injected(1200), (Lines{"1202 MouseUp 1", "1202 KeyUp 65", "1202 KeyDown 66"}));
    EXPECT_EQ(h.s.Status(), u"Typer ready.");
    EXPECT_EQ(h.s.ViewText(), u"KeyDown( KEY_B )\n\tSleep( 10 )\nKeyUp( KEY_B )\n");
    EXPECT_EQ(Program().Running, 1);
    // Only the new script's wait holds a timer.
    EXPECT_EQ(RunningTimerCount(), 1);
}

TEST(Window, PickingTheChosenScriptAgainChangesNothing) {
    HolderPlaying h;
    h.s.PickScript(u"Holder");
    h.s.RunUntil(1300);
    EXPECT_EQ(h.s.Injected(1100), Lines{});
    EXPECT_EQ(h.s.Status(), u"Holder ready.");
    EXPECT_TRUE(h.s.sim.IsKeyDown(kA));
}

// Each button that takes the user away from a playing script stops it as the Start/Stop keys
// do before it does its own work, so nothing the script holds stays down behind a message box,
// a reload, a capture of new keys or a recording.
TEST(Window, ButtonsThatLeaveAPlayingScriptStopItAndReleaseEverythingFirst) {
    const std::pair<GadgetRef ProgramState::*, std::u16string> buttons[] = {
        {&ProgramState::ReloadButton, u"Choose a script."},
        {&ProgramState::AboutButton, u"Holder stopped."},
        {&ProgramState::BindButton, u"Holder stopped."},
        {&ProgramState::RecordButton, u"Press the Start/Stop keys to start recording."}};
    for (const auto& [button, status] : buttons) {
        HolderPlaying h;
        h.s.Click(Program().*button);
        h.s.RunUntil(1300);
        EXPECT_EQ(Program().Running, 0) << ToUtf8(status);
        EXPECT_EQ(h.s.Injected(1100), (Lines{"1202 MouseUp 1", "1202 KeyUp 65"}));
        EXPECT_EQ(h.s.Status(), status);
    }
}

TEST(Window, ReloadWhilePlayingKeepsTheBindingAndChoosesNothing) {
    HolderPlaying h;
    h.s.AddScript("later.ini", "Later", {"sleep(1)"});
    h.s.Click(Program().ReloadButton);
    h.s.RunUntil(1300);
    EXPECT_EQ(h.s.ViewText(), u"");
    EXPECT_EQ(h.s.ComboText(), u"");
    EXPECT_EQ(h.s.ComboCurrent(), -1);
    EXPECT_EQ(h.s.ComboItems().size(), 3u);
    EXPECT_EQ(h.s.BindLabel(), u"<F1> ");
    EXPECT_EQ(h.s.Settings(), "KEY_F1\r\n");
    // The dropped script's wait no longer holds a timer.
    EXPECT_EQ(RunningTimerCount(), 0);

    // Nothing is chosen, so the Start/Stop keys start nothing.
    h.s.Tap({kF1});
    h.s.RunUntil(1500);
    EXPECT_EQ(Program().Running, 0);
    EXPECT_EQ(h.s.Injected(1250), Lines{});
}

// A paused script's keys are let go too when a reload drops it.
TEST(Window, ReloadReleasesWhatAPausedScriptHolds) {
    Scenario s;
    s.StartWithScript("KEY_F1\r\n", "pauser.ini", "Pauser",
                      {"keydown(KEY_A)", "pause()", "keyup(KEY_A)"});
    s.Tap({kF1});
    s.RunUntil(500);
    EXPECT_EQ(s.Status(), u"Pauser paused.");
    EXPECT_TRUE(s.sim.IsKeyDown(kA));
    s.Click(Program().ReloadButton);
    s.RunUntil(600);
    EXPECT_FALSE(s.sim.IsKeyDown(kA));
    EXPECT_EQ(s.Status(), u"Choose a script.");
}

TEST(Window, TheCloseBoxReleasesHeldKeysAndButtonsAndEnds) {
    HolderPlaying h;
    h.s.UseCloseBox();
    h.s.RunUntil(5000);
    ASSERT_TRUE(h.s.exitStatus);
    EXPECT_EQ(*h.s.exitStatus, 0);
    EXPECT_EQ(h.s.Now(), 1202);
    EXPECT_EQ(h.s.Injected(1100), (Lines{"1202 KeyUp 65", "1202 MouseUp 1"}));
}

TEST(Window, ExitReleasesHeldKeysAndButtonsAndEnds) {
    HolderPlaying h;
    h.s.Click(Program().ExitButton);
    h.s.RunUntil(5000);
    ASSERT_TRUE(h.s.exitStatus);
    EXPECT_EQ(*h.s.exitStatus, 0);
    EXPECT_EQ(h.s.Injected(1100), (Lines{"1202 KeyUp 65", "1202 MouseUp 1"}));
    EXPECT_FALSE(h.s.sim.IsKeyDown(kA));
    EXPECT_FALSE(h.s.sim.IsButtonDown(1));
}

TEST(Window, AboutShowsTheCreditAsInformation) {
    Scenario s;
    s.WriteSettings("KEY_F1\r\n");
    s.Start();
    s.Click(Program().AboutButton);
    s.RunUntil(10);
    ASSERT_EQ(s.sim.MessageBoxes().size(), 1u);
    EXPECT_FALSE(s.sim.MessageBoxes()[0].serious);
    EXPECT_NE(s.sim.MessageBoxes()[0].text.find(u"Keyweave"), std::u16string::npos);
}

TEST(Window, TheScriptViewListsTheChosenScriptInColour) {
    Scenario s;
    s.WriteSettings("KEY_F1\r\n");
    s.AddScript("view.ini", "View", {"keydown(KEY_A)", "sleep(100)", "pause()", "keyup(KEY_A)"});
    s.Start();
    EXPECT_EQ(s.ViewText(), u"");
    s.PickScript(u"View");
    s.RunUntil(10);
    EXPECT_EQ(s.ViewText(), u"KeyDown( KEY_A )\n\tSleep( 100 )\n\tPause()\nKeyUp( KEY_A )\n");
    EXPECT_EQ(s.ViewColours(), (std::vector<ColourRun>{{0, 7, kYellow},
                                                       {7, 1, kWhite},
                                                       {8, 7, kCyan},
                                                       {15, 1, kWhite},
                                                       {17, 6, kGreen},
                                                       {23, 1, kWhite},
                                                       {24, 5, kCyan},
                                                       {29, 1, kWhite},
                                                       {31, 6, kRed},
                                                       {37, 2, kWhite},
                                                       {40, 5, kYellow},
                                                       {45, 1, kWhite},
                                                       {46, 7, kCyan},
                                                       {53, 1, kWhite}}));
}

} // namespace
} // namespace keyweave::scenario
