// The journeys of tests/journeys on the real program: each one a test, named by its file, with
// the user's keys from xdotool, the program's buttons pressed through the accessibility bus and
// the server's key and button events from a recorder.

#include "real_program.h"
#include "support/accessibility.h"
#include "support/journey.h"
#include "support/journey_matrix.h"
#include "support/journey_steps.h"
#include "support/recorder.h"

#include <algorithm>
#include <cctype>
#include <csignal>
#include <iostream>
#include <map>

namespace keyweave::x11test {
namespace {

using testing::EndingMatrix;
using testing::Journey;
using testing::Keysym;

// A key or button of the key table as the X server names it.
struct Input {
    bool button = false;
    int detail = 0; // X button number, or keycode
};

class JourneyTest : public RealProgram, private testing::JourneySteps {
public:
    explicit JourneyTest(Journey journey) : JourneySteps(std::move(journey)) {}

    void TestBody() override {
        ProgramRun run = Program("journey-" + journey_.fileName);
        Recorder recorder(Session().Display());
        ASSERT_TRUE(recorder.Ok());
        recorder_ = &recorder;
        run.WriteSettings(journey_.settings + "\r\n");
        run.AddScript(journey_.ScriptName() + ".ini", journey_.ScriptText());
        window_ = StartProgram(run);
        TakeSteps(run);
    }

private:
    void Close() override { x_->SendDeleteWindow(window_.id); }

    void UserHolds(const std::vector<std::string>& keysyms,
                   std::chrono::milliseconds length) override {
        Hold(keysyms, length);
    }

    // Ways of ending that only an X11 client can take, and a check that a way left all held.
    bool TakeOwn(const Journey::Step& step) override {
        if (step.verb == "forcequit") {
            x_->KillClientOf(window_.id);
        } else if (step.verb == "destroy") {
            x_->DestroyWindow(window_.id);
        } else if (step.verb == "kill") {
            Kill();
        } else if (step.verb == "stuck") {
            EXPECT_TRUE(AllHeld()) << journey_.way << " released a key or button of the script";
        } else {
            return false;
        }
        return true;
    }

    void Kill() {
        ASSERT_EQ(kill(run_->Pid(), SIGKILL), 0);
        ASSERT_TRUE(run_->WaitForExit(5s).has_value());
    }

    std::vector<Input> Held() {
        std::vector<Input> inputs;
        for (const std::string& name : journey_.holds) {
            if (name.rfind("MOUSE_", 0) == 0) {
                inputs.push_back({true, name == "MOUSE_LEFT" ? 1 : name == "MOUSE_RIGHT" ? 3 : 2});
            } else {
                inputs.push_back({false, x_->Keycode(Keysym(name).c_str())});
            }
        }
        return inputs;
    }

    // The script's buttons go down where the pointer rests: over the script view, where a
    // press changes nothing, as under Wine they go down in the target window.
    void Start() override {
        PickScript(*run_, journey_.ScriptName());
        ASSERT_FALSE(HasFatalFailure());
        RestThePointer();
        Hold(Keysyms(testing::Words(journey_.settings)), 60ms);
        for (const Input& input : Held()) {
            const auto kind = input.button ? InputEvent::ButtonDown : InputEvent::KeyDown;
            EXPECT_GE(recorder_->WaitFor(kind, input.detail, 0, 5s), 0);
        }
        mark_ = recorder_->Events().size();
    }

    void RestThePointer() override {
        const Point rest = OnScreen(900, 700);
        ASSERT_TRUE(Xdotool({"mousemove", std::to_string(rest.x), std::to_string(rest.y)}));
    }

    // How many of the keys and buttons the script holds are down now.
    std::size_t CountHeld() {
        const std::set<int> keys = x_->KeysDown();
        const std::set<int> buttons = x_->ButtonsDown();
        std::size_t held = 0;
        for (const Input& input : Held()) {
            held += (input.button ? buttons : keys).count(input.detail);
        }
        return held;
    }

    bool AllHeld() { return CountHeld() == journey_.holds.size(); }

    // The script holds everything, once it has pressed it, and still does a while later: what
    // follows is what releases it.
    void ExpectStillHeld() override {
        const auto deadline = std::chrono::steady_clock::now() + 2s;
        while (!AllHeld() && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(10ms);
        }
        std::this_thread::sleep_for(100ms);
        EXPECT_TRUE(AllHeld()) << "released before the run ended";
        mark_ = recorder_->Events().size();
    }

    // Every key and button the script pressed was released since it was last seen held, and
    // is up now.
    void ExpectReleased() override {
        for (const Input& input : Held()) {
            const auto kind = input.button ? InputEvent::ButtonUp : InputEvent::KeyUp;
            EXPECT_GE(recorder_->WaitFor(kind, input.detail, mark_, 3s), 0);
        }
        const bool released = CountHeld() == 0;
        EndingMatrix::Record(journey_.way, released);
        EXPECT_TRUE(released) << journey_.way << " left a key or button of the script down";
    }

    Recorder* recorder_ = nullptr;
    TopWindow window_;
    std::size_t mark_ = 0;
};

// One test for each journey that makes sense on Linux, named as the journey says.
bool RegisterJourneys() {
    std::vector<std::string> ways;
    for (const Journey& journey : testing::ReadJourneys(KEYWEAVE_JOURNEYS)) {
        if (!journey.RunsOn("linux")) {
            continue;
        }
        ways.push_back(journey.way);
        const auto dot = journey.x11Test.find('.');
        ::testing::RegisterTest(journey.x11Test.substr(0, dot).c_str(),
                                journey.x11Test.substr(dot + 1).c_str(), nullptr, nullptr, __FILE__,
                                __LINE__,
                                [journey]() -> RealProgram* { return new JourneyTest(journey); });
    }
    ::testing::AddGlobalTestEnvironment(new EndingMatrix(ways));
    return true;
}

const bool kRegistered = RegisterJourneys();

} // namespace
} // namespace keyweave::x11test
