#include "input/mouse.h"
#include "runtime/timers/timer.h"
#include "script/script.h"
#include "unit/app/program_fixture.h"

namespace keyweave::testing {
namespace {

using Kind = sim::InjectedAction::Kind;

constexpr int kA = 65;

TCommand Command(const std::u16string& name, std::int32_t value = -1, std::int32_t value2 = -1) {
    return TCommand::Create(name, value, value2);
}

class PlayerTest : public WindowTest {
protected:
    void Select(CommandList commands) {
        script->Name = u"Farm";
        script->DataList = std::move(commands);
        script->Reset();
        Program().CurrentScript = script;
        Program().Running = 1;
    }

    // Player steps as the main loop makes them: one per turn of 2 ms.
    void Turns(int count) {
        for (int i = 0; i < count; ++i) {
            script->Update();
            Pass(2);
        }
    }

    void TurnsUntil(std::int64_t ms) {
        while (sim.Now() < ms) {
            Turns(1);
        }
    }

    std::vector<std::int64_t> KeyTimes(Kind kind) const {
        std::vector<std::int64_t> times;
        for (const auto& action : sim.Log()) {
            if (action.kind == kind) {
                times.push_back(action.timeMs);
            }
        }
        return times;
    }

    std::shared_ptr<TScript> script = std::make_shared<TScript>();
};

using Times = std::vector<std::int64_t>;

TEST_F(PlayerTest, SleepPeriodsAreTakenInSinglePrecision) {
    Select({Command(u"SLEEP", 7), Command(u"KEYDOWN", kA), Command(u"SLEEP", 8),
            Command(u"KEYUP", kA)});
    TurnsUntil(20);
    // 1000 / 7 rounds up in single precision, so the period is 6 ms; 8 ms stays 8.
    EXPECT_EQ(KeyTimes(Kind::KeyDown), (Times{6}));
    EXPECT_EQ(KeyTimes(Kind::KeyUp), (Times{16}));
}

TEST_F(PlayerTest, RefusedSleepsDoNotWait) {
    Select({Command(u"SLEEP", 0), Command(u"KEYDOWN", kA), Command(u"SLEEP", -5),
            Command(u"KEYUP", kA), Command(u"SLEEP", 2000000), Command(u"KEYDOWN", kA)});
    Turns(6);
    EXPECT_EQ(KeyTimes(Kind::KeyDown), (Times{2, 10}));
    EXPECT_EQ(KeyTimes(Kind::KeyUp), (Times{6}));
    EXPECT_EQ(RunningTimerCount(), 0);
}

TEST_F(PlayerTest, SleepWithoutAFreeTimerDoesNotWait) {
    std::vector<TimerRef> timers;
    for (int i = 0; i < kMaxRunningTimers; ++i) {
        timers.push_back(TTimer::Create(1.0f, nullptr));
    }
    Select({Command(u"SLEEP", 100), Command(u"KEYDOWN", kA)});
    Turns(2);
    EXPECT_EQ(KeyTimes(Kind::KeyDown), (Times{2}));
    for (const auto& timer : timers) {
        timer->Stop();
    }
}

TEST_F(PlayerTest, StopRewindsAndKeepsInputHeld) {
    Select({Command(u"KEYDOWN", kA), Command(u"STOP"), Command(u"KEYUP", kA)});
    Turns(1);
    EXPECT_EQ(script->Update(), 1);
    EXPECT_EQ(Program().Running, 0);
    EXPECT_EQ(Gadget(Program().Window).status, u"Farm stopped.");
    EXPECT_EQ(script->WorkList().size(), script->DataList.size());
    EXPECT_TRUE(sim.IsKeyDown(kA));
    sim.ClearLog();
    Turns(1);
    EXPECT_EQ(Actions(), (std::vector{Key(Kind::KeyDown, kA)}));
}

TEST_F(PlayerTest, StatusNamesTheSelectedScript) {
    Select({Command(u"PAUSE")});
    auto other = std::make_shared<TScript>();
    other->Name = u"Other";
    Program().CurrentScript = other;
    Turns(1);
    EXPECT_EQ(Gadget(Program().Window).status, u"Other paused.");
    Program().CurrentScript = nullptr;
    Gadget(Program().Window).SetStatus(u"");
    Turns(2);
    EXPECT_EQ(Gadget(Program().Window).status, u"");
}

TEST_F(PlayerTest, MouseCommands) {
    sim.MoveCursorByUser(40, 50);
    Program().StartPos = TMouse::GetPos();
    Select({Command(u"MOUSELOC", 100, 200), Command(u"LOCKMOUSE"), Command(u"MOUSELOC", 10, 20),
            Command(u"MOUSEDOWN", 1), Command(u"MOUSEUP", 1), Command(u"UNLOCKMOUSE"),
            Command(u"RESTOREMOUSELOC")});
    Turns(1);
    EXPECT_EQ(Program().LockPos, nullptr);
    Turns(2);
    ASSERT_NE(Program().LockPos, nullptr);
    EXPECT_EQ(Program().LockPos->X, 10);
    EXPECT_EQ(Program().LockPos->Y, 20);
    Turns(4);
    EXPECT_EQ(Program().LockPos, nullptr);
    EXPECT_EQ(sim.Cursor().x, 40);
    EXPECT_EQ(sim.Cursor().y, 50);
    EXPECT_EQ(Actions(), (std::vector<sim::InjectedAction>{{0, Kind::Move, 0, 100, 200, true},
                                                           {0, Kind::Move, 0, 10, 20, true},
                                                           Key(Kind::MouseDown, 1),
                                                           Key(Kind::MouseUp, 1),
                                                           {0, Kind::Move, 0, 40, 50, true}}));
}

TEST_F(PlayerTest, CommandNamesAreComparedInUpperCaseAndUnknownOnesSkipped) {
    Select({Command(u"keydown", kA), Command(u"JUMP", kA), Command(u"KeyUp", kA)});
    EXPECT_EQ(script->Update(), 1);
    EXPECT_EQ(script->Update(), 1);
    EXPECT_EQ(script->Update(), 1);
    EXPECT_EQ(Actions(), (std::vector{Key(Kind::KeyDown, kA), Key(Kind::KeyUp, kA)}));
}

TEST_F(PlayerTest, AnEmptyScriptOnlyStartsOver) {
    Select({});
    Gadget(Program().Window).SetStatus(u"Farm ready.");
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(script->Update(), 0);
    }
    EXPECT_TRUE(sim.Log().empty());
    EXPECT_EQ(Gadget(Program().Window).status, u"Farm ready.");
}

TEST_F(PlayerTest, ResetRewindsToTheSameCommandsAndEndsAPendingWait) {
    Select({Command(u"SLEEP", 1000), Command(u"KEYDOWN", kA)});
    Turns(1);
    ASSERT_NE(script->Timer, nullptr);
    script->Reset();
    EXPECT_EQ(script->Timer, nullptr);
    EXPECT_EQ(RunningTimerCount(), 0);
    ASSERT_EQ(script->WorkList().size(), 2u);
    EXPECT_EQ(&script->WorkList()[0], &script->DataList[0]);
    EXPECT_EQ(&script->WorkList()[1], &script->DataList[1]);
}

} // namespace
} // namespace keyweave::testing
