// The journeys of tests/journeys on the real program under a headless sway: each one a test,
// named by its file, with the user's keys from wtype, the pointer and the window's close from
// the compositor, the program's buttons pressed through the accessibility bus, and the script's
// buttons seen by the target window beneath the pointer. The compositor releases a dead
// virtual keyboard's keys but not a dead virtual pointer's buttons: the buttons are what a way
// out must release itself, and what the target window shows. The script's keys go to the
// program's own window, which has the focus when its Start/Stop keys start the script.

#include "support/journey.h"
#include "support/journey_matrix.h"
#include "support/journey_steps.h"
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

class WaylandJourney : public WaylandProgram, private testing::JourneySteps {
public:
    explicit WaylandJourney(Journey journey) : JourneySteps(std::move(journey)) {}

    void TestBody() override {
        ProgramRun run = Program("journey-" + journey_.fileName);
        run.WriteSettings(journey_.settings + "\r\n");
        run.AddScript(journey_.ScriptName() + ".ini", journey_.ScriptText());
        StartProgram(run);
        TakeSteps(run);
    }

private:
    void Close() override {
        ASSERT_TRUE(Session().Swaymsg({"[pid=" + std::to_string(run_->Pid()) + "]", "kill"}));
    }

    void UserHolds(const std::vector<std::string>& keysyms,
                   std::chrono::milliseconds length) override {
        FocusProgram(*run_);
        Hold(keysyms, length);
    }

    void RestThePointer() override { ASSERT_TRUE(Session().MovePointer(kRestX, kRestY)); }

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
    void Start() override {
        PickScript(*run_, journey_.ScriptName());
        ASSERT_FALSE(HasFatalFailure());
        RestThePointer();
        UserHolds(Keysyms(testing::Words(journey_.settings)), 60ms);
        EXPECT_TRUE(AllButtons(true, 5s)) << target_->Describe() << run_->Output();
    }

    void ExpectStillHeld() override {
        std::this_thread::sleep_for(100ms);
        EXPECT_TRUE(AllButtons(true, 0ms)) << "released before the run ended\n"
                                           << target_->Describe();
    }

    // Every button that the script pressed is up again in the target window.
    void ExpectReleased() override {
        const bool released = AllButtons(false, 3s);
        EndingMatrix::Record(journey_.way, released);
        EXPECT_TRUE(released) << journey_.way << " left a button of the script down\n"
                              << target_->Describe();
    }
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
