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
    s.AddScript("hold.ini", "Hold", {"mousedown(MOUSE_LEFT)", "sleep(10000)"});
    s.Start();
    s.RunUntil(500);
    s.Hold(kLeftCtrl);
    s.Hold(kF1);
    s.RunUntil(500 + 2998);
    EXPECT_FALSE(s.Settings());
    EXPECT_EQ(s.BindLabel(), u"");

    EXPECT_TRUE(s.sim.BoundCombination().none());
    s.RunUntil(500 + 3010);
    EXPECT_EQ(s.Settings(), "KEY_F1 KEY_LCTRL\r\n");
    EXPECT_EQ(s.BindLabel(), u"<F1> <Left Ctrl> ");
    // The platform hears of the new combination, to ask the desktop for it.
    EXPECT_EQ(s.sim.BoundCombination(), KeySet().set(kF1).set(kLeftCtrl));
    EXPECT_EQ(s.BindButton(), u"Bind Start/Stop key.");
    EXPECT_EQ(s.Status(), u"Select a script.");

    // The captured keys are still held: letting go of them completes a press of the new
    // combination, which starts nothing while no script is chosen, and does not start the
    // script chosen next either.
    s.Release(kLeftCtrl);
    s.Release(kF1);
    s.RunUntil(3600);
    EXPECT_EQ(Program().Running, 0);
    s.PickScript(u"Hold");
    s.RunUntil(4000);
    EXPECT_EQ(s.Status(), u"Hold ready.");
    EXPECT_EQ(Program().Running, 0);
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

// Without any binding the capture starts over every period while nothing is held; an empty
// capture writes nothing, so a settings file whose names are unknown stays as the user wrote it.
TEST(Binding, WithNothingHeldTheCaptureStartsOverEveryPeriodAndWritesNothing) {
    Scenario s;
    s.AddScript("farm.ini", "Farm", {"keystroke(KEY_A, 10)"});
    s.WriteSettings("KEY_F13\r\n");
    s.Start();
    s.RunUntil(3010);
    EXPECT_EQ(s.BindLabel(), u"");
    s.PickScript(u"Farm");
    s.RunUntil(3002 + 2998);
    EXPECT_EQ(s.Status(), u"Farm ready.");
    s.RunUntil(3002 + 3010);
    EXPECT_EQ(s.Status(), u"Select a script.");
    EXPECT_EQ(s.ComboCurrent(), -1);
    EXPECT_EQ(s.Settings(), "KEY_F13\r\n");
    EXPECT_TRUE(Program().BindList.empty());
}

// Touching nothing for three seconds after the bind button keeps the binding there was, in
// memory, on the label and in the file; the script stays chosen.
TEST(Binding, ACaptureWithNothingHeldKeepsTheBindingThereWas) {
    Scenario s;
    s.StartWithScript("KEY_F1 KEY_LCTRL\r\n", "farm.ini", "Farm", {"keystroke(KEY_A, 10)"});
    s.Click(Program().BindButton);
    s.Click(Program().BindButton);
    EXPECT_EQ(s.sim.BoundCombination(), KeySet().set(kF1).set(kLeftCtrl));
    s.RunUntil(100);
    EXPECT_EQ(s.BindLabel(), u"Hold key(s) down for 3 seconds.");
    s.RunUntil(3200);
    EXPECT_EQ(s.BindLabel(), u"<F1> <Left Ctrl> ");
    EXPECT_EQ(s.sim.BoundCombination(), KeySet().set(kF1).set(kLeftCtrl));
    EXPECT_EQ(s.BindButton(), u"Bind Start/Stop key.");
    EXPECT_EQ(s.Settings(), "KEY_F1 KEY_LCTRL\r\n");
    EXPECT_EQ(s.Status(), u"Farm ready.");
    s.Tap({kLeftCtrl, kF1});
    s.RunUntil(3400);
    EXPECT_EQ(Program().Running, 1);
    EXPECT_FALSE(s.Times(sim::InjectedAction::KeyDown, kA).empty());
}

// The bind button stops a playing script as the Start/Stop keys do, so the capture sees the
// user's keys alone: the A that the script held does not join the new binding.
TEST(Binding, BindingWhileAScriptPlaysStopsItFirstAndCapturesOnlyTheUsersKeys) {
    Scenario s;
    s.WriteSettings("KEY_F1\r\n");
    s.AddScript("holder.ini", "Holder",
                {"keydown(KEY_A)", "mousedown(MOUSE_RIGHT)", "sleep(10000)", "keyup(KEY_A)"});
    s.Start();
    EXPECT_TRUE(s.sim.MessageBoxes().empty());
    EXPECT_EQ(s.BindLabel(), u"<F1> ");
    s.PickScript(u"Holder");
    s.RunUntil(1000);
    s.Tap({kF1});
    s.RunUntil(1200);
    EXPECT_EQ(s.Injected(), (Lines{"1060 KeyDown 65", "1062 MouseDown 2"}));

    s.Click(Program().BindButton);
    s.RunUntil(1204);
    EXPECT_EQ(s.Injected(1100), (Lines{"1202 MouseUp 2", "1202 KeyUp 65"}));
    EXPECT_EQ(s.BindLabel(), u"Hold key(s) down for 3 seconds.");
    EXPECT_EQ(s.Status(), u"Holder stopped.");
    EXPECT_EQ(Program().Running, 0);

    s.RunUntil(1300);
    s.Hold(kF2);
    s.RunUntil(1300 + 2998);
    EXPECT_EQ(s.Settings(), "KEY_F1\r\n");
    s.RunUntil(1300 + 3010);
    EXPECT_EQ(s.Settings(), "KEY_F2\r\n");
    EXPECT_EQ(s.BindLabel(), u"<F2> ");
    EXPECT_EQ(s.BindButton(), u"Bind Start/Stop key.");
    EXPECT_EQ(s.Status(), u"Select a script.");
    EXPECT_EQ(s.ViewText(), u"");
    EXPECT_EQ(s.ComboCurrent(), -1);
}

} // namespace
} // namespace keyweave::scenario
