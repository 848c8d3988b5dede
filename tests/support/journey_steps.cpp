#include "support/journey_steps.h"

#include "support/accessibility.h"

#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>
#include <thread>

namespace keyweave::testing {
namespace {

using namespace std::chrono_literals;
using x11test::Accessibility;

int Signal(const std::string& name) {
    return name == "SIGINT" ? SIGINT : name == "SIGHUP" ? SIGHUP : SIGTERM;
}

bool HasFatalFailure() {
    return ::testing::Test::HasFatalFailure();
}

} // namespace

void JourneySteps::TakeSteps(x11test::ProgramRun& run) {
    run_ = &run;
    for (const Journey::Step& step : journey_.steps) {
        Take(step);
        if (HasFatalFailure()) {
            return;
        }
    }
}

std::vector<std::string> JourneySteps::Keysyms(const std::vector<std::string>& names) {
    std::vector<std::string> keysyms;
    for (const std::string& name : names) {
        keysyms.push_back(Keysym(name));
    }
    return keysyms;
}

void JourneySteps::Take(const Journey::Step& step) {
    SCOPED_TRACE(step.verb + " " + step.argument);
    const std::vector<std::string> words = Words(step.argument);
    const int pid = run_->Pid();
    if (step.verb == "start") {
        Start();
    } else if (step.verb == "held") {
        ExpectStillHeld();
    } else if (step.verb == "status" || step.verb == "message" || step.verb == "label") {
        ASSERT_TRUE(Accessibility::WaitFor(pid, step.verb == "status" ? "statusbar" : "label",
                                           step.argument, 3s))
            << Accessibility::Describe(Accessibility::Elements(pid));
    } else if (step.verb == "click") {
        ASSERT_TRUE(Accessibility::Press(pid, "push button", step.argument));
    } else if (step.verb == "ok") {
        DismissMessageBox();
    } else if (step.verb == "close") {
        Close();
    } else if (step.verb == "tap") {
        UserHolds(Keysyms(words), 60ms);
    } else if (step.verb == "hold") {
        UserHolds(Keysyms({words.begin() + 1, words.end()}),
                  std::chrono::milliseconds(std::stoi(words.at(0))));
    } else if (step.verb == "saved") {
        ExpectSaved(step.argument);
    } else if (step.verb == "signal") {
        ASSERT_EQ(kill(pid, Signal(step.argument)), 0);
    } else if (step.verb == "exit") {
        EXPECT_EQ(run_->WaitForExit(5s), std::optional<int>(std::stoi(step.argument)))
            << run_->Output();
    } else if (step.verb == "said") {
        EXPECT_NE(run_->Output().find(step.argument), std::string::npos) << run_->Output();
    } else if (step.verb == "run") {
        RunRequest(words);
    } else if (step.verb == "released") {
        ExpectReleased();
    } else if (!TakeOwn(step)) {
        FAIL() << "no such step: " << step.verb;
    }
}

void JourneySteps::RunRequest(const std::vector<std::string>& words) {
    ASSERT_FALSE(words.empty());
    ASSERT_EQ(words[0], "keyweave");
    RestThePointer();
    const x11test::ProgramRun::Answer answer = run_->Run({words.begin() + 1, words.end()});
    EXPECT_EQ(answer.status, 0) << answer.output;
}

// The user presses the OK button of the open message box, which then goes.
void JourneySteps::DismissMessageBox() {
    const int pid = run_->Pid();
    ASSERT_TRUE(Accessibility::Press(pid, "push button", "OK"))
        << Accessibility::Describe(Accessibility::Elements(pid));
    auto open = [pid] {
        const auto elements = Accessibility::Elements(pid);
        return std::any_of(elements.begin(), elements.end(),
                           [](const auto& element) { return element.role == "alert"; });
    };
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (open() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    ASSERT_FALSE(open()) << "the message box is still open";
}

void JourneySteps::ExpectSaved(const std::string& text) {
    auto saved = [&] { return run_->Settings().value_or("").find(text) != std::string::npos; };
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (!saved() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(saved()) << run_->Settings().value_or("(no settings file)");
}

} // namespace keyweave::testing
