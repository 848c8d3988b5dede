#include "app/program_state.h"
#include "platform/platform_input.h"
#include "scenario.h"

namespace keyweave::scenario {
namespace {

using Result = RequestOutcome::Result;

// A program bound to F1 with two scripts that hold what they press, none chosen, at 1000 ms.
class Requests : public ::testing::Test {
protected:
    void SetUp() override {
        s.WriteSettings("KEY_F1\r\n");
        s.AddScript("holder.ini", "Holder",
                    {"keydown(KEY_A)", "mousedown(MOUSE_LEFT)", "sleep(60000)"});
        s.AddScript("other.ini", "Other", {"keydown(KEY_B)", "sleep(60000)"});
        s.Start();
        s.RunUntil(1000);
    }

    // A request from another program at the current time; the loop then runs 100 ms.
    RequestOutcome Ask(RequestKind kind, const std::u16string& name = u"") {
        const RequestOutcome outcome = InputRequest(kind, name);
        s.RunUntil(s.Now() + 100);
        return outcome;
    }

    static void ExpectDone(const RequestOutcome& outcome) {
        EXPECT_EQ(outcome.result, Result::Done);
        EXPECT_EQ(outcome.message, u"");
    }

    Scenario s;
};

TEST_F(Requests, ToggleByNameChoosesAndStartsAndASecondToggleStopsAndLetsGo) {
    ExpectDone(Ask(RequestKind::Toggle, u"Holder"));
    EXPECT_EQ(s.Status(), u"Holder ready.");
    EXPECT_EQ(s.ComboItems().at(static_cast<std::size_t>(s.ComboCurrent())), u"Holder");
    EXPECT_EQ(s.Injected(), (Lines{"1000 KeyDown 65", "1002 MouseDown 1"}));

    ExpectDone(Ask(RequestKind::Toggle, u"Holder"));
    EXPECT_EQ(s.Status(), u"Holder stopped.");
    EXPECT_EQ(Program().Running, 0);
    EXPECT_EQ(s.Injected(1100), (Lines{"1100 MouseUp 1", "1100 KeyUp 65"}));

    // Without a name, as the Start/Stop keys: the chosen script starts again from its top.
    ExpectDone(Ask(RequestKind::Toggle));
    EXPECT_EQ(s.Injected(1200), (Lines{"1200 KeyDown 65", "1202 MouseDown 1"}));
}

TEST_F(Requests, ToggleOfAnotherScriptStopsAndLetsGoBeforeItChoosesAndStarts) {
    Ask(RequestKind::Start, u"Holder");
    ExpectDone(Ask(RequestKind::Toggle, u"Other"));
    EXPECT_EQ(s.Status(), u"Other ready.");
    EXPECT_EQ(Program().Running, 1);
    EXPECT_EQ(s.Injected(1100), (Lines{"1100 MouseUp 1", "1100 KeyUp 65", "1100 KeyDown 66"}));
}

TEST_F(Requests, StartLeavesARunningScriptAloneAndStopLetsGoOfEverything) {
    ExpectDone(Ask(RequestKind::Start, u"Holder"));
    ExpectDone(Ask(RequestKind::Start, u"Holder"));
    ExpectDone(Ask(RequestKind::Start));
    EXPECT_EQ(s.Injected(), (Lines{"1000 KeyDown 65", "1002 MouseDown 1"}));

    ExpectDone(Ask(RequestKind::Stop));
    EXPECT_EQ(s.Status(), u"Holder stopped.");
    EXPECT_EQ(s.Injected(1300), (Lines{"1300 MouseUp 1", "1300 KeyUp 65"}));
    ExpectDone(Ask(RequestKind::Stop));
    EXPECT_EQ(s.Injected(1400), Lines{});

    // A paused script keeps what it holds; a stop lets go of it.
    s.AddScript("pauser.ini", "Pauser", {"keydown(KEY_B)", "pause()"});
    s.Click(Program().ReloadButton);
    s.RunUntil(1600);
    ExpectDone(Ask(RequestKind::Start, u"Pauser"));
    EXPECT_EQ(s.Status(), u"Pauser paused.");
    ExpectDone(Ask(RequestKind::Stop));
    EXPECT_EQ(s.Injected(1600), (Lines{"1600 KeyDown 66", "1700 KeyUp 66"}));
}

TEST_F(Requests, ANameNoScriptHasAndAMissingChoiceChangeNothing) {
    const RequestOutcome none = Ask(RequestKind::Start);
    EXPECT_EQ(none.result, Result::NoSuchScript);
    EXPECT_EQ(none.message, u"No script is chosen: name one.");
    // The Start/Stop keys with no script chosen start nothing either.
    EXPECT_EQ(Ask(RequestKind::Toggle).result, Result::NoSuchScript);
    EXPECT_EQ(Program().Running, 0);

    Ask(RequestKind::Toggle, u"Holder");
    for (RequestKind kind : {RequestKind::Toggle, RequestKind::Start}) {
        const RequestOutcome wrong = Ask(kind, u"holder");
        EXPECT_EQ(wrong.result, Result::NoSuchScript);
        EXPECT_EQ(wrong.message, u"No script is named holder.");
    }
    EXPECT_EQ(s.Status(), u"Holder ready.");
    EXPECT_EQ(Program().Running, 1);
    EXPECT_EQ(s.Injected(), (Lines{"1200 KeyDown 65", "1202 MouseDown 1"}));
}

TEST_F(Requests, ARecordingOrABindingUnderWayTurnsEveryRequestAway) {
    s.Click(Program().RecordButton);
    s.RunUntil(1100);
    const std::u16string armed = s.Status();
    for (RequestKind kind : {RequestKind::Toggle, RequestKind::Start, RequestKind::Stop}) {
        const RequestOutcome outcome = Ask(kind, u"Holder");
        EXPECT_EQ(outcome.result, Result::Busy);
        EXPECT_EQ(outcome.message,
                  u"Keyweave is recording a script: end or cancel the recording first.");
    }
    EXPECT_EQ(s.Status(), armed);

    s.Click(Program().BindButton);
    s.RunUntil(1500);
    const RequestOutcome binding = Ask(RequestKind::Toggle, u"Holder");
    EXPECT_EQ(binding.result, Result::Busy);
    EXPECT_EQ(binding.message,
              u"Keyweave is waiting for the Start/Stop keys to be bound: bind them first.");
    EXPECT_EQ(Program().Running, 0);
    EXPECT_TRUE(s.Injected().empty());
}

} // namespace
} // namespace keyweave::scenario
