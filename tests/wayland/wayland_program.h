#pragma once

#include "session_steps.h"
#include "support/accessibility.h"
#include "support/program_run.h"
#include "support/temp_folder.h"
#include "target_window.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace keyweave::wayland_test {

using namespace std::chrono_literals;
using x11test::Accessibility;
using x11test::ProgramRun;
using x11test::TopWindow;

// The headless compositor that every test of this program shares, started once.
WaylandSession& Session();
const std::string& SessionProblem();
const std::string& ScratchFolder();

// Makes the compositor end every connection of the process `pid` to it, as it ends a client
// for a protocol error: a request to an object that does not exist goes into each of the
// process's sockets that lead to the compositor, written through a duplicate of the socket.
// The number of connections it ended.
int EndWaylandConnectionsOf(pid_t pid);

// A test of the real program on the shared compositor, beside a fresh target window that has
// the focus until the program's window appears, with the user's ways of choosing a script and
// pressing keys in the program's window.
class WaylandProgram : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    ProgramRun Program(const std::string& name);
    // Starts the program and waits for its window, floating at the output's top left corner.
    TopWindow StartProgram(ProgramRun& run);
    // Chooses the script with the mouse wheel over the combo box.
    static void PickScript(ProgramRun& run, const std::string& name);
    // The program's window takes the keyboard focus, as when the user clicks its title.
    void FocusProgram(const ProgramRun& run);
    // Holds keysyms down together for a while and lets go, through a keyboard of the user's
    // own (a new virtual keyboard: a client hears of it before its first key).
    void Hold(const std::vector<std::string>& keysyms, std::chrono::milliseconds length);

    std::unique_ptr<TargetWindow> target_;
};

} // namespace keyweave::wayland_test
