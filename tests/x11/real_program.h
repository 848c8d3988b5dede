#pragma once

#include "shared_session.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace keyweave::x11test {

// A test of the real program on the shared session, with a client of its X server and the
// user's ways of starting the program and choosing a script.
class RealProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SessionProblem().empty()) << SessionProblem();
        x_ = std::make_unique<XClient>(Session().Display());
        ASSERT_TRUE(x_->Ok());
    }

    // Starts the program and waits for its window at the centred position.
    TopWindow StartProgram(ProgramRun& run) {
        EXPECT_TRUE(run.Start());
        auto window = run.WaitForMainWindow();
        EXPECT_TRUE(window.has_value()) << run.Output();
        return window.value_or(TopWindow{});
    }

    // Chooses the script in the combo box, as the user does.
    static void PickScript(ProgramRun& run, const std::string& name) {
        std::string problem;
        ASSERT_TRUE(run.PickScript(name, problem)) << problem;
    }

    // Holds keys down together for a while and lets go, as the user does.
    static void Hold(const std::vector<std::string>& keys, std::chrono::milliseconds length) {
        std::vector<std::string> down;
        std::vector<std::string> up;
        for (const std::string& key : keys) {
            down.insert(down.end(), {"keydown", key});
            up.insert(up.end(), {"keyup", key});
        }
        ASSERT_TRUE(Xdotool(down));
        std::this_thread::sleep_for(length);
        ASSERT_TRUE(Xdotool(up));
    }

    // Presses and releases a key as the user does, holding it long enough for a poll to see.
    static void Tap(const std::string& key) { Hold({key}, 60ms); }

    // Starts the program bound to F12 with one script chosen.
    TopWindow StartWithScript(ProgramRun& run, const std::string& script, const std::string& name) {
        run.WriteSettings("KEY_F12\r\n");
        run.AddScript(name + ".ini", script);
        TopWindow window = StartProgram(run);
        PickScript(run, name);
        return window;
    }

    void ExpectNothingHeld() {
        std::set<int> keys = x_->KeysDown();
        EXPECT_EQ(keys.count(x_->Keycode("a")), 0u);
        EXPECT_EQ(keys.count(x_->Keycode("b")), 0u);
        EXPECT_TRUE(x_->ButtonsDown().empty());
    }

    std::unique_ptr<XClient> x_;
};

} // namespace keyweave::x11test
