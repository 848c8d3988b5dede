#include "app/program_state.h"
#include "scenario.h"

namespace keyweave::scenario {
namespace {

TEST(FirstRun, WarnsBeforeTheLoopAndPlaysNothingUntilBound) {
    Scenario s;
    s.AddScript("farm.ini", "Farm", {"keystroke(KEY_A, 10)"});
    s.Start();
    ASSERT_EQ(s.sim.MessageBoxes().size(), 1u);
    const auto& box = s.sim.MessageBoxes()[0];
    EXPECT_EQ(box.timeMs, 0);
    EXPECT_EQ(box.title, u"Keyweave 1.0");
    EXPECT_EQ(box.text, u"You need to bind the Start/Stop key!");
    EXPECT_TRUE(box.serious);
    EXPECT_EQ(s.Status(), u"Select a script.");
    EXPECT_EQ(s.BindLabel(), u"");
    EXPECT_EQ(s.ComboItems(), (std::vector<std::u16string>{u"Farm"}));

    s.PickScript(u"Farm");
    s.RunUntil(100);
    EXPECT_EQ(s.Status(), u"Farm ready.");
    s.Tap({kF1});
    s.Tap({kF1});
    s.RunUntil(2000);
    EXPECT_TRUE(s.Injected().empty());
    EXPECT_EQ(Program().Running, 0);
    EXPECT_FALSE(s.Settings());
}

TEST(FirstRun, ASettingsFileWithoutKnownNamesCountsAsMissing) {
    Scenario s;
    s.WriteSettings("KEY_N MOUSE_LEFT\r\n");
    s.Start();
    EXPECT_EQ(s.sim.MessageBoxes().size(), 1u);
}

TEST(Binding, HoldingLeftCtrlAndF1ForThreeSecondsBindsThem) {
    Scenario s;
    s.Start();
    s.RunUntil(500);
    s.Hold(kLeftCtrl);
    s.Hold(kF1);
    s.RunUntil(500 + 2998);
    EXPECT_FALSE(s.Settings());
    EXPECT_EQ(s.BindLabel(), u"");

    s.RunUntil(500 + 3010);
    EXPECT_EQ(s.Settings(), "KEY_F1 KEY_LCTRL\r\n");
    EXPECT_EQ(s.BindLabel(), u"<F1> <Left Ctrl> ");
    EXPECT_EQ(s.BindButton(), u"Bind Start/Stop key.");
    EXPECT_EQ(s.Status(), u"Select a script.");

    // The captured keys are still held: letting go of them completes a press of the new
    // combination, which starts playing, with no script chosen.
    s.Release(kLeftCtrl);
    s.Release(kF1);
    s.RunUntil(3600);
    EXPECT_EQ(Program().Running, 1);
    EXPECT_TRUE(s.Injected().empty());
}

TEST(Binding, AChangeOfHeldKeysStartsTheWaitOver) {
    Scenario s;
    s.Start();
    s.RunUntil(500);
    s.Hold(kLeftCtrl);
    s.RunUntil(3000);
    s.Hold(kF1);
    s.RunUntil(3000 + 2998);
    EXPECT_FALSE(s.Settings());
    s.RunUntil(3000 + 3010);
    EXPECT_EQ(s.Settings(), "KEY_F1 KEY_LCTRL\r\n");
}

TEST(Binding, WithNothingHeldAnEmptyBindingIsCapturedEveryPeriod) {
    Scenario s;
    s.AddScript("farm.ini", "Farm", {"keystroke(KEY_A, 10)"});
    s.Start();
    s.RunUntil(2998);
    EXPECT_FALSE(s.Settings());
    s.RunUntil(3010);
    EXPECT_EQ(s.Settings(), "\r\n");
    EXPECT_EQ(s.BindLabel(), u"");

    s.RemoveSettings();
    s.PickScript(u"Farm");
    s.RunUntil(3002 + 2998);
    EXPECT_FALSE(s.Settings());
    EXPECT_EQ(s.Status(), u"Farm ready.");
    s.RunUntil(3002 + 3010);
    EXPECT_EQ(s.Settings(), "\r\n");
    EXPECT_EQ(s.Status(), u"Select a script.");
    EXPECT_EQ(s.ComboCurrent(), -1);
}

// Enter is below the codes the keyboard poll sees, so the key the script holds does not join
// the new binding; a held key that the poll sees would.
TEST(Binding, BindingWhileAScriptPlaysHaltsItAndReleasesOnlyAfterTheCapture) {
    Scenario s;
    s.WriteSettings("KEY_F1\r\n");
    s.AddScript(
        "holder.ini", "Holder",
        {"keydown(KEY_ENTER)", "mousedown(MOUSE_RIGHT)", "sleep(10000)", "keyup(KEY_ENTER)"});
    s.Start();
    EXPECT_TRUE(s.sim.MessageBoxes().empty());
    EXPECT_EQ(s.BindLabel(), u"<F1> ");
    s.PickScript(u"Holder");
    s.RunUntil(1000);
    s.Tap({kF1});
    s.RunUntil(1200);
    EXPECT_EQ(s.Injected(), (Lines{"1060 KeyDown 13", "1062 MouseDown 2"}));

    s.Click(Program().BindButton);
    s.RunUntil(1204);
    EXPECT_EQ(s.BindLabel(), u"Hold key(s) down for 3 seconds.");
    EXPECT_EQ(Program().Running, 0);
    s.Click(Program().BindButton);
    s.RunUntil(1300);
    EXPECT_EQ(s.BindLabel(), u"Hold key(s) down for 3 seconds.");

    s.Hold(kF2);
    s.RunUntil(1300 + 2998);
    EXPECT_TRUE(s.sim.IsKeyDown(13));
    EXPECT_TRUE(s.sim.IsButtonDown(2));
    EXPECT_EQ(s.Settings(), "KEY_F1\r\n");
    EXPECT_EQ(s.Status(), u"Holder ready.");

    // The capture timer's tick ends the loop's pause at once: the release follows at 4299.
    s.RunUntil(1300 + 3010);
    EXPECT_EQ(s.Injected(1100), (Lines{"4299 MouseUp 2", "4299 KeyUp 13"}));
    EXPECT_EQ(s.Settings(), "KEY_F2\r\n");
    EXPECT_EQ(s.BindLabel(), u"<F2> ");
    EXPECT_EQ(s.BindButton(), u"Bind Start/Stop key.");
    EXPECT_EQ(s.Status(), u"Select a script.");
    EXPECT_EQ(s.ViewText(), u"");
    EXPECT_EQ(s.ComboCurrent(), -1);
}

} // namespace
} // namespace keyweave::scenario
