#pragma once

#include "process.h"
#include "x_client.h"
#include "x_session.h"

#include <chrono>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace keyweave::x11test {

using namespace std::chrono_literals;

// The session every test of this program shares: started by the test environment, torn down
// at the end. Problem() tells why it could not start.
XSession& Session();
const std::string& SessionProblem();
const std::string& ScratchFolder();

// Runs xdotool on the session, as the user's keyboard and mouse; true when it succeeded.
bool Xdotool(const std::vector<std::string>& arguments);

// The shared session's screen is two monitors wide, and the primary monitor is the right one:
// every position the program takes or gives counts from the primary monitor's top left corner,
// as on Windows, where that corner is the origin of the screen.
inline constexpr Monitor kPrimaryMonitor{1920, 0, 1920, 1080};
inline constexpr int kScreenWidth = 3840;
inline constexpr int kScreenHeight = 1080;

// A point counted from the primary monitor's corner, on the screen.
inline Point OnScreen(int x, int y) {
    return {kPrimaryMonitor.x + x, kPrimaryMonitor.y + y};
}

// The screen geometry of the program's window for a centred 600 x 400 client area.
inline constexpr int kWindowX = kPrimaryMonitor.x + (kPrimaryMonitor.width - 600) / 2;
inline constexpr int kWindowY = kPrimaryMonitor.y + (kPrimaryMonitor.height - 400) / 2;

// The names of the .ini files in a folder.
std::set<std::string> IniFiles(const std::string& folder);

// An installed program (PREFIX/bin/keyweave) as a user whose home is `home` meets it: the
// desktop entry, the icon and the examples are installed; the first start warns that nothing
// is bound and seeds ~/.config/keyweave/Scripts with the examples; the next start reads the
// binding from ~/.config/keyweave/settings.ini; a signal ends each start with status 0.
void ExpectInstalledProgramAtHome(const std::string& prefix, const std::string& home);

// The built program in a folder of its own (program file, Scripts/, settings.ini), so that no
// test sees another's files; the program is started from another working folder.
class ProgramRun {
public:
    explicit ProgramRun(const std::string& name, XSession& on = Session());
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    void AddScript(const std::string& fileName, const std::string& text);
    void WriteSettings(const std::string& bytes);
    // The settings file's bytes; nothing when there is no file.
    std::optional<std::string> Settings() const;

    // Starts the program with the session's environment and these variables besides.
    bool Start(const Environment& extra = {});
    pid_t Pid() const { return pid_; }
    const std::string& Folder() const { return folder_; }
    std::string Output() const;

    // Waits for a mapped window of the program that satisfies `wanted`.
    std::optional<TopWindow> WaitForWindow(const std::function<bool(const TopWindow&)>& wanted,
                                           std::chrono::milliseconds limit);
    // The main window (600 wide, titled "Keyweave 1.0").
    std::optional<TopWindow> WaitForMainWindow(std::chrono::milliseconds limit = 10s);

    std::optional<int> WaitForExit(std::chrono::milliseconds limit);

private:
    XSession& session_;
    std::string folder_;
    pid_t pid_ = -1;
    bool exited_ = false;
};

} // namespace keyweave::x11test
