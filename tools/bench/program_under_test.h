#pragma once

#include "x_client.h"
#include "x_session.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace keyweave::bench {

// The built program copied into a folder of its own with its scripts and settings, started on
// the benchmark's X server and driven as a user drives it: xdotool for keys and clicks, the
// accessibility bus to find what the window shows.
class ProgramUnderTest {
public:
    ProgramUnderTest(x11test::XSession& session, const std::string& program,
                     const std::string& scratchFolder);
    ~ProgramUnderTest();
    ProgramUnderTest(const ProgramUnderTest&) = delete;
    ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

    void AddScript(const std::string& fileName, const std::string& text);
    void WriteSettings(const std::string& bytes);

    // Starts the program and waits for its main window.
    bool Start(std::string& problem);
    pid_t Pid() const { return pid_; }

    // Chooses the script with this name in the script combo box, as the user does.
    bool PickScript(const std::string& name, std::string& problem);

    bool Xdotool(const std::vector<std::string>& arguments);

    // Moves the pointer to the desktop's corner and gives it the keyboard focus, as when the
    // user works in another program: injected keys then reach no window of the program.
    bool FocusDesktop();

    // The program's peak resident set so far (VmHWM).
    double PeakResidentMiB() const;

private:
    bool ClickAt(int x, int y);

    x11test::XSession& session_;
    std::string folder_;
    pid_t pid_ = -1;
    x11test::TopWindow window_;
};

} // namespace keyweave::bench
