// The journeys of tests/journeys on the real program under a headless sway: each one a test,
// named by its file, with the user's keys from wtype, the pointer and the window's close from
// the compositor, the program's buttons pressed through the accessibility bus, and the script's
// buttons seen by the target window beneath the pointer. The compositor releases a dead
// virtual keyboard's keys but not a dead virtual pointer's buttons: the buttons are what a way
// out must release itself, and what the target window shows. The script's keys go to the
// program's own window, which has the focus when its Start/Stop keys start the script.

#include "support/journey.h"
#include "support/journey_matrix.h"
#include "wayland_program.h"

#include <algorithm>
#include <csignal>
#include <set>
#include <thread>

namespace keyweave::wayland_test {
namespace {

using testing::EndingMatrix;
using testing::Journey;
using testing::Keysym;

// Where the pointer rests while a script runs: over the target window, beside the program's.
constexpr int kRestX = 900;
constexpr int kRestY = 600;

// The steps this runner takes; a journey with another (an X11 client's ways out) is not one of
// this layer's. Nor is recording while a script plays: a Wayland client cannot record, so the
// recorder only says so and the script plays on (the Wayland tests check what it says).
const std::set<std::string> kSteps = {"start", "held",  "status", "label",   "click", "message",
                                      "ok",    "close", "tap",    "hold",    "saved", "signal",
                                      "exit",  "said",  "run",    "released"};

bool RunsHere(const Journey& journey) {
    return journey.RunsOn("linux") &&
           std::all_of(journey.steps.begin(), journey.steps.end(), [](const Journey::Step& step) {
               return kSteps.count(step.verb) > 0 &&
                      !(step.verb == "click" && step.argument == "Record Script");
           });
}

int Signal(const std::string& name) {
    return name == "SIGINT" ? SIGINT : name == "SIGHUP" ? SIGHUP : SIGTERM;
}

class WaylandJourney : public WaylandProgram {
public:
    explicit WaylandJourney(Journey journey) : journey_(std::move(journey)) {}

    void TestBody() override {
        ProgramRun run = Program("journey-" + journey_.fileName);
        run_ = &run;
        run.WriteSettings(journey_.settings + "\r\n");
        run.AddScript(journey_.ScriptName() + ".ini", journey_.ScriptText());
        StartProgram(run);
        for (const Journey::Step& step : journey_.steps) {
            Take(step);
            if (HasFatalFailure()) {
                return;
            }
        }
    }

private:
    void Take(const Journey::Step& step) {
        SCOPED_TRACE(step.verb + " " + step.argument);
        const std::vector<std::string> words = testing::Words(step.argument);
        if (step.verb == "start") {
            Start();
        } else if (step.verb == "held") {
            ExpectStillHeld();
        } else if (step.verb == "status" || step.verb == "message") {
            ASSERT_TRUE(Accessibility::WaitFor(
                run_->Pid(), step.verb == "status" ? "statusbar" : "label", step.argument, 3s))
                << Accessibility::Describe(Accessibility::Elements(run_->Pid()));
        } else if (step.verb == "label") {
            ASSERT_TRUE(Accessibility::WaitFor(run_->Pid(), "label", step.argument, 3s));
        } else if (step.verb == "click") {
            ASSERT_TRUE(Accessibility::Press(run_->Pid(), "push button", step.argument));
        } else if (step.verb == "ok") {
            DismissMessageBox();
        } else if (step.verb == "close") {
            ASSERT_TRUE(Session().Swaymsg({"[pid=" + std::to_string(run_->Pid()) + "]", "kill"}));
        } else if (step.verb == "tap") {
            FocusProgram(*run_);
            Hold(Keysyms(words), 60ms);
        } else if (step.verb == "hold") {
            FocusProgram(*run_);
            Hold(Keysyms({words.begin() + 1, words.end()}),
                 std::chrono::milliseconds(std::stoi(words.at(0))));
        } else if (step.verb == "saved") {
            ExpectSaved(step.argument);
        } else if (step.verb == "signal") {
            ASSERT_EQ(kill(run_->Pid(), Signal(step.argument)), 0);
        } else if (step.verb == "exit") {
            EXPECT_EQ(run_->WaitForExit(5s), std::optional<int>(std::stoi(step.argument)))
                << run_->Output();
        } else if (step.verb == "said") {
            EXPECT_NE(run_->Output().find(step.argument), std::string::npos) << run_->Output();
        } else if (step.verb == "run") {
            RunRequest(words);
        } else if (step.verb == "released") {
            ExpectReleased();
        } else {
            FAIL() << "no such step: " << step.verb;
        }
    }

    static std::vector<std::string> Keysyms(const std::vector<std::string>& names) {
        std::vector<std::string> keysyms;
        for (const std::string& name : names) {
            keysyms.push_back(Keysym(name));
        }
        return keysyms;
    }

    // The target window's numbers of the buttons that the script holds.
    std::vector<std::string> HeldButtons() const {
        std::vector<std::string> buttons;
        for (const std::string& name : journey_.holds) {
            if (name.rfind("MOUSE_", 0) == 0) {
                buttons.push_back(name == "MOUSE_LEFT" ? "1" : name == "MOUSE_RIGHT" ? "3" : "2");
            }
        }
        return buttons;
    }

    // Whether the target window's last event of this button was its press.
    bool Down(const std::string& button) const {
        bool down = false;
        for (const Logged& line : target_->Log()) {
            if (line.kind == "button" && line.what == button) {
                down = line.action == "press";
            }
        }
        return down;
    }

    // Whether the script's buttons are all down (or all up), waiting at most `limit`.
    bool AllButtons(bool down, std::chrono::milliseconds limit) const {
        return x11test::WaitUntil(
            [&] {
                const std::vector<std::string> buttons = HeldButtons();
                return std::all_of(buttons.begin(), buttons.end(),
                                   [&](const std::string& button) { return Down(button) == down; });
            },
            limit);
    }

    // The pointer rests over the target; the program's window has the keyboard focus, and the
    // user presses the Start/Stop keys there.
    void Start() {
        PickScript(*run_, journey_.ScriptName());
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(Session().MovePointer(kRestX, kRestY));
        FocusProgram(*run_);
        Hold(Keysyms(testing::Words(journey_.settings)), 60ms);
        EXPECT_TRUE(AllButtons(true, 5s)) << target_->Describe() << run_->Output();
    }

    void ExpectStillHeld() {
        std::this_thread::sleep_for(100ms);
        EXPECT_TRUE(AllButtons(true, 0ms)) << "released before the run ended\n"
                                           << target_->Describe();
    }

    // Every button that the script pressed is up again in the target window.
    void ExpectReleased() {
        const bool released = AllButtons(false, 3s);
        EndingMatrix::Record(journey_.way, released);
        EXPECT_TRUE(released) << journey_.way << " left a button of the script down\n"
                              << target_->Describe();
    }

    // Another program asks the running one (`keyweave --toggle NAME`), with the pointer resting
    // over the target.
    void RunRequest(const std::vector<std::string>& words) {
        ASSERT_FALSE(words.empty());
        ASSERT_EQ(words[0], "keyweave");
        ASSERT_TRUE(Session().MovePointer(kRestX, kRestY));
        const ProgramRun::Answer answer = run_->Run({words.begin() + 1, words.end()});
        EXPECT_EQ(answer.status, 0) << answer.output;
    }

    void DismissMessageBox() {
        ASSERT_TRUE(Accessibility::Press(run_->Pid(), "push button", "OK"))
            << Accessibility::Describe(Accessibility::Elements(run_->Pid()));
        auto open = [&] {
            const auto elements = Accessibility::Elements(run_->Pid());
            return std::any_of(elements.begin(), elements.end(),
                               [](const auto& element) { return element.role == "alert"; });
        };
        const auto deadline = std::chrono::steady_clock::now() + 3s;
        while (open() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(20ms);
        }
        ASSERT_FALSE(open()) << "the message box is still open";
    }

    void ExpectSaved(const std::string& text) {
        auto saved = [&] { return run_->Settings().value_or("").find(text) != std::string::npos; };
        const auto deadline = std::chrono::steady_clock::now() + 3s;
        while (!saved() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(20ms);
        }
        EXPECT_TRUE(saved()) << run_->Settings().value_or("(no settings file)");
    }

    Journey journey_;
    ProgramRun* run_ = nullptr;
};

// One test for each journey that this build can take, named as the journey says, in the suite
// WaylandJourney.
bool RegisterJourneys() {
    std::vector<std::string> ways;
    for (const Journey& journey : testing::ReadJourneys(KEYWEAVE_JOURNEYS)) {
        if (!RunsHere(journey)) {
            continue;
        }
        ways.push_back(journey.way);
        const std::string name = journey.x11Test.substr(journey.x11Test.find('.') + 1);
        ::testing::RegisterTest(
            "WaylandJourney", name.c_str(), nullptr, nullptr, __FILE__, __LINE__,
            [journey]() -> WaylandProgram* { return new WaylandJourney(journey); });
    }
    ::testing::AddGlobalTestEnvironment(
        new EndingMatrix(ways, "every button the script pressed released (Wayland)"));
    return true;
}

const bool kRegistered = RegisterJourneys();

} // namespace
} // namespace keyweave::wayland_test
