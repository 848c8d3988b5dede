#include "platform/sim/sim_platform.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace keyweave::sim {
namespace {

using Action = InjectedAction;

TEST(SimKeyboard, UserAndInjectedKeysShareOneState) {
    SimPlatform sim;
    KeyboardDevice& keyboard = sim.Keyboard();
    sim.HoldKey(112);
    EXPECT_TRUE(keyboard.HeldKeys().test(112));

    sim.Advance(7);
    keyboard.SendKey(65, true);
    EXPECT_TRUE(sim.IsKeyDown(65));
    EXPECT_TRUE(keyboard.HeldKeys().test(65));
    keyboard.SendKey(112, false);
    EXPECT_FALSE(keyboard.HeldKeys().test(112)) << "an injected release lifts the user's key";

    EXPECT_EQ(sim.Log(), (std::vector<Action>{{7, Action::KeyDown, 65}, {7, Action::KeyUp, 112}}));
}

TEST(SimKeyboard, InjectionUsesTheLowByteAndLogsTheCodeAsGiven) {
    SimPlatform sim;
    sim.Keyboard().SendKey(0x141, true);
    EXPECT_TRUE(sim.IsKeyDown(0x41));
    EXPECT_EQ(sim.Log().at(0).code, 0x141);
}

TEST(SimKeyboard, OnlyCodes32To255AreReportedHeld) {
    SimPlatform sim;
    sim.HoldKey(1);
    sim.HoldKey(16);
    sim.HoldKey(31);
    sim.HoldKey(32);
    sim.HoldKey(255);
    const KeySet held = sim.Keyboard().HeldKeys();
    EXPECT_EQ(held.count(), 2u);
    EXPECT_TRUE(held.test(32));
    EXPECT_TRUE(held.test(255));
    EXPECT_TRUE(sim.IsKeyDown(16));
    sim.ReleaseKey(255);
    EXPECT_FALSE(sim.Keyboard().HeldKeys().test(255));
    EXPECT_THROW(sim.HoldKey(256), std::out_of_range);
    EXPECT_THROW(sim.HoldKey(-1), std::out_of_range);
    EXPECT_TRUE(sim.Log().empty());
}

TEST(SimMouse, TheCursorStartsAtTheCentreAndMovesAreClampedToTheScreen) {
    SimPlatform sim;
    MouseDevice& mouse = sim.Mouse();
    EXPECT_EQ(mouse.CursorPos().x, 960);
    EXPECT_EQ(mouse.CursorPos().y, 540);

    mouse.MoveCursor(100, 200);
    mouse.MoveCursor(100, 200);
    mouse.MoveCursor(-5, 5000);
    EXPECT_EQ(sim.Cursor().x, 0);
    EXPECT_EQ(sim.Cursor().y, 1079);

    Action first{0, Action::Move, 0, 100, 200, true};
    Action again{0, Action::Move, 0, 100, 200, false};
    Action clamped{0, Action::Move, 0, -5, 5000, true};
    EXPECT_EQ(sim.Log(), (std::vector<Action>{first, again, clamped}));
}

TEST(SimMouse, TheUsersMovesAreNotLogged) {
    SimPlatform sim({800, 600});
    EXPECT_EQ(sim.Cursor().x, 400);
    sim.MoveCursorByUser(900, -1);
    EXPECT_EQ(sim.Cursor().x, 799);
    EXPECT_EQ(sim.Cursor().y, 0);
    EXPECT_TRUE(sim.Log().empty());
}

TEST(SimMouse, OnlyTheLeftAndRightButtonsAreSent) {
    SimPlatform sim;
    sim.Advance(3);
    sim.Mouse().SendButton(1, true);
    sim.Mouse().SendButton(2, true);
    sim.Mouse().SendButton(3, true);
    sim.Mouse().SendButton(2, false);
    EXPECT_TRUE(sim.IsButtonDown(1));
    EXPECT_FALSE(sim.IsButtonDown(2));
    EXPECT_FALSE(sim.IsButtonDown(3));
    EXPECT_EQ(sim.Log(),
              (std::vector<Action>{
                  {3, Action::MouseDown, 1}, {3, Action::MouseDown, 2}, {3, Action::MouseUp, 2}}));
    sim.ClearLog();
    EXPECT_TRUE(sim.Log().empty());
}

} // namespace
} // namespace keyweave::sim
