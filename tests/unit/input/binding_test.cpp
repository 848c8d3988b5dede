#include "input/keyboard.h"
#include "input/mouse.h"
#include "runtime/events/event_queue.h"
#include "runtime/timers/timer.h"
#include "unit/app/program_fixture.h"

namespace keyweave::testing {
namespace {

using Kind = sim::InjectedAction::Kind;

constexpr int kF1 = 112;
constexpr int kLeftCtrl = 162;
constexpr int kEscape = 27;

// Takes every queued event; true when one of them announced a capture.
bool CaptureAnnounced() {
    bool announced = false;
    while (EventQueuePoll() != 0) {
        announced = announced || (CurrentEventId() == BindCapturedEvent && !CurrentEventSource());
    }
    return announced;
}

class CaptureTest : public WindowTest {
protected:
    // Binding-mode turns until a capture; the virtual time of the turn that captured, or -1.
    std::int64_t TurnsUntilCapture(std::int64_t untilMs) {
        while (sim.Now() <= untilMs) {
            TKeyboard::Update();
            const std::int64_t now = sim.Now();
            if (TKey::UpdateBind() == 1) {
                return now;
            }
            Pass(2);
        }
        return -1;
    }
};

TEST_F(CaptureTest, KeysHeldUnchangedForOnePeriodBecomeTheBinding) {
    sim.HoldKey(kLeftCtrl);
    sim.HoldKey(kF1);
    EXPECT_EQ(TurnsUntilCapture(10000), 3000);
    EXPECT_EQ(Names(Program().BindList), (Names16{u"F1", u"Left Ctrl"}));
    EXPECT_EQ(Program().BindList.front(), TKeyboard::ReturnTKeyFromInt(kF1));
    EXPECT_EQ(Program().BindTimer, nullptr);
    EXPECT_EQ(RunningTimerCount(), 0);
    EXPECT_TRUE(CaptureAnnounced());
}

TEST_F(CaptureTest, KeysThePollCannotSeeCaptureAnEmptyBinding) {
    sim.HoldKey(kEscape);
    EXPECT_EQ(TurnsUntilCapture(10000), 3000);
    EXPECT_TRUE(Program().BindList.empty());
    EXPECT_TRUE(CaptureAnnounced());
}

TEST_F(CaptureTest, CaptureClearsTheScriptSelectionAndReleasesHeldInput) {
    auto script = std::make_shared<TScript>();
    Program().CurrentScript = script;
    TKeyboard::Down(65);
    TMouse::Down(1);
    TMouse::Lock();
    TurnsUntilCapture(10000);
    EXPECT_EQ(Program().CurrentScript, nullptr);
    EXPECT_EQ(Gadget(Program().Window).status, u"Select a script.");
    EXPECT_EQ(Program().LockPos, nullptr);
    EXPECT_FALSE(sim.IsKeyDown(65));
    EXPECT_FALSE(sim.IsButtonDown(1));
}

TEST_F(CaptureTest, ARefusedTimerDelaysTheCaptureUntilATimerIsFree) {
    std::vector<TimerRef> timers;
    for (int i = 0; i < kMaxRunningTimers; ++i) {
        timers.push_back(TTimer::Create(1.0f, nullptr));
    }
    sim.HoldKey(kF1);
    EXPECT_EQ(TurnsUntilCapture(5000), -1);
    EXPECT_EQ(Program().BindTimer, nullptr);
    timers.back()->Stop();
    EXPECT_EQ(TurnsUntilCapture(20000), 5002 + 3000);
    EXPECT_EQ(Names(Program().BindList), (Names16{u"F1"}));
    for (const auto& timer : timers) {
        timer->Stop();
    }
}

class ToggleTest : public WindowTest {
protected:
    // Binds the keys, with a script chosen: without one the combination starts nothing.
    void Bind(std::initializer_list<int> codes) {
        for (int code : codes) {
            Program().BindList.push_back(TKeyboard::ReturnTKeyFromInt(code));
        }
        Program().CurrentScript = std::make_shared<TScript>();
    }

    void Poll() {
        TKeyboard::Update();
        TKey::Update();
    }

    void PressAndRelease(std::initializer_list<int> codes) {
        for (int code : codes) {
            sim.HoldKey(code);
        }
        Poll();
        for (int code : codes) {
            sim.ReleaseKey(code);
        }
        Poll();
    }
};

TEST_F(ToggleTest, ReleasingTheWholeCombinationStartsAndLeavesTheStartPositionToBeTaken) {
    Bind({kF1});
    sim.MoveCursorByUser(321, 123);
    sim.HoldKey(kF1);
    Poll();
    Poll();
    EXPECT_EQ(Program().Running, 0);
    sim.ReleaseKey(kF1);
    Poll();
    EXPECT_EQ(Program().Running, 1);
    EXPECT_EQ(Program().StartPos, nullptr);
    TMouse::TakeStartPos();
    sim.MoveCursorByUser(5, 5);
    TMouse::TakeStartPos();
    ASSERT_NE(Program().StartPos, nullptr);
    EXPECT_EQ(Program().StartPos->X, 321);
    EXPECT_EQ(Program().StartPos->Y, 123);
    Poll();
    EXPECT_EQ(Program().Running, 1);
}

TEST_F(ToggleTest, OnlyTheReleaseOfTheLastBoundKeyToggles) {
    Bind({kLeftCtrl, kF1});
    sim.HoldKey(kLeftCtrl);
    sim.HoldKey(kF1);
    Poll();
    sim.ReleaseKey(kF1);
    Poll();
    EXPECT_EQ(Program().Running, 0);
    sim.ReleaseKey(kLeftCtrl);
    Poll();
    EXPECT_EQ(Program().Running, 1);

    PressAndRelease({kF1});
    EXPECT_EQ(Program().Running, 1);
}

TEST_F(ToggleTest, StoppingRewindsReportsAndReleasesEverything) {
    Bind({kF1});
    const ScriptRef script = Program().CurrentScript;
    script->Name = u"Farm";
    script->DataList = {TCommand::Create(u"KEYDOWN", 65, -1), TCommand::Create(u"KEYUP", 65, -1)};
    PressAndRelease({kF1});
    script->Update();
    script->Update();
    TMouse::Down(2);
    TMouse::Lock();
    EXPECT_EQ(script->WorkList().size(), 1u);

    sim.ClearLog();
    PressAndRelease({kF1});
    EXPECT_EQ(Program().Running, 0);
    EXPECT_EQ(Gadget(Program().Window).status, u"Farm stopped.");
    EXPECT_EQ(script->WorkList().size(), script->DataList.size());
    EXPECT_EQ(Program().LockPos, nullptr);
    EXPECT_EQ(Actions(), (std::vector{Key(Kind::MouseUp, 2), Key(Kind::KeyUp, 65)}));
}

TEST_F(ToggleTest, WithoutABindingOrAScriptNothingStarts) {
    PressAndRelease({kF1});
    EXPECT_EQ(Program().Running, 0);
    EXPECT_EQ(Program().BindHeld, 0);

    Bind({kF1});
    Program().CurrentScript = nullptr;
    PressAndRelease({kF1});
    EXPECT_EQ(Program().Running, 0);
    EXPECT_EQ(Program().BindHeld, 0);
}

} // namespace
} // namespace keyweave::testing
