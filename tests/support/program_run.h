#pragma once

#include "desktop.h"
#include "process.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace keyweave::x11test {

using namespace std::chrono_literals;

// The built program copied into a folder of its own (program file and module, Scripts/,
// settings.ini), so that no run sees another's files, started from the folder's parent on a
// desktop session (X11 or Wayland) and driven as a user drives it.
class ProgramRun {
public:
    ProgramRun(Desktop& desktop, const std::string& program, const std::string& folder);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    void AddScript(const std::string& fileName, const std::string& text);
    void WriteSettings(const std::string& bytes);
    // The settings file's bytes; nothing when there is no file.
    std::optional<std::string> Settings() const;

    // Starts the program with the session's environment and these variables besides, and
    // these arguments.
    bool Start(const Environment& extra = {}, const std::vector<std::string>& arguments = {});
    pid_t Pid() const { return pid_; }
    const std::string& Folder() const { return folder_; }
    std::string Output() const;

    // Waits for a mapped window of the program that satisfies `wanted`.
    std::optional<TopWindow> WaitForWindow(const std::function<bool(const TopWindow&)>& wanted,
                                           std::chrono::milliseconds limit);
    // The main window (600 wide, titled "Keyweave 1.0"), which PickScript clicks in.
    std::optional<TopWindow> WaitForMainWindow(std::chrono::milliseconds limit = 10s);

    // Opens the script combo box of the main window and clicks the script's item in the list
    // that drops down, until the status bar says the script is ready; false with `problem`
    // set when a step fails.
    bool PickScript(const std::string& name, std::string& problem);
    // Chooses the script through the accessibility bus, as an assistive tool does, until the
    // status bar says the script is ready: where the list that drops down has no places on the
    // screen that a user's click could aim at (Wayland).
    bool PickScriptAccessibly(const std::string& name, std::string& problem);

    std::optional<int> WaitForExit(std::chrono::milliseconds limit);

    // What a run of the program file with arguments gave: its exit status (-1 when it had to
    // be ended) and what it wrote on standard output and error.
    struct Answer {
        int status = -1;
        std::string output;
    };
    // Runs the program file of this folder again with these arguments, as another program that
    // asks the running one (`keyweave --toggle NAME`), for at most `limit`.
    Answer Run(const std::vector<std::string>& arguments, const Environment& extra = {},
               std::chrono::milliseconds limit = 10s);

private:
    SpawnOptions Options(const Environment& extra, const std::string& outputFile) const;

    Desktop& desktop_;
    std::string folder_;
    pid_t pid_ = -1;
    bool exited_ = false;
    TopWindow mainWindow_;
    int runs_ = 0;
};

} // namespace keyweave::x11test
