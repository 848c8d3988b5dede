#include "app/app.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "platform/platform_input.h"
#include "unit/app/program_fixture.h"

namespace keyweave::testing {
namespace {

using Kind = sim::InjectedAction::Kind;

class AppTest : public WindowTest {};

TEST_F(AppTest, WarnsOnlyWhenNothingIsBound) {
    TApp::CheckBindings();
    ASSERT_EQ(sim.MessageBoxes().size(), 1u);
    EXPECT_EQ(sim.MessageBoxes()[0].title, u"Keyweave 1.0");
    EXPECT_EQ(sim.MessageBoxes()[0].text, u"You need to bind the Start/Stop key!");
    EXPECT_TRUE(sim.MessageBoxes()[0].serious);
    Program().BindList.push_back(TKeyboard::ReturnTKeyFromInt(112));
    TApp::CheckBindings();
    EXPECT_EQ(sim.MessageBoxes().size(), 1u);
}

TEST_F(AppTest, ClearingTheSelectionRewindsAndReleasesEverything) {
    auto script = std::make_shared<TScript>();
    script->Name = u"Farm";
    script->DataList = {TCommand::Create(u"SLEEP", 1000, -1)};
    script->Reset();
    script->Update();
    Program().ScriptList.push_back(script);
    TMainWindow::UpdateScriptList();
    Gadget(Program().ScriptCombo).Pick(0);
    Program().CurrentScript = script;
    TMainWindow::UpdateScriptView();
    TKeyboard::Down(65);
    TMouse::Down(1);
    TMouse::Lock();
    sim.ClearLog();

    TApp::SelectScript(nullptr);
    EXPECT_EQ(Program().CurrentScript, nullptr);
    EXPECT_EQ(script->Timer, nullptr);
    EXPECT_EQ(script->WorkList().size(), 1u);
    EXPECT_EQ(Gadget(Program().ScriptCombo).current, -1);
    EXPECT_EQ(Gadget(Program().Window).status, u"Select a script.");
    EXPECT_EQ(Gadget(Program().ScriptView).area, u"");
    EXPECT_EQ(Program().LockPos, nullptr);
    EXPECT_EQ(Actions(), (std::vector{Key(Kind::MouseUp, 1), Key(Kind::KeyUp, 65)}));
}

TEST_F(AppTest, CloseReleasesKeysThenButtonsAndEndsWithStatusZero) {
    TMouse::Down(2);
    TKeyboard::Down(65);
    sim.ClearLog();
    try {
        TApp::Close();
        FAIL() << "the program went on";
    } catch (const sim::ProcessExit& exit) {
        EXPECT_EQ(exit.status, 0);
    }
    EXPECT_EQ(Actions(), (std::vector{Key(Kind::KeyUp, 65), Key(Kind::MouseUp, 2)}));
}

// The platform ends the process itself once the display is lost; the core only lets go, once.
TEST_F(AppTest, ALostDisplayReleasesKeysThenButtonsAndLeavesTheEndToThePlatform) {
    TMouse::Down(2);
    TKeyboard::Down(65);
    TKeyboard::Down(66);
    TKeyboard::Up(66);
    sim.ClearLog();
    InputConnectionLost();
    InputConnectionLost();
    EXPECT_EQ(Actions(), (std::vector{Key(Kind::KeyUp, 65), Key(Kind::MouseUp, 2)}));
}

} // namespace
} // namespace keyweave::testing
