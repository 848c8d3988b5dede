#pragma once

#include "support/program_run.h"
#include "support/x_client.h"
#include "support/x_session.h"

#include <set>
#include <string>
#include <vector>

namespace keyweave::x11test {

// The session every test of this program shares: started by the test environment, torn down
// at the end. SessionProblem() tells why it could not start.
XSession& Session();
const std::string& SessionProblem();
const std::string& ScratchFolder();

// Runs xdotool on the session, as the user's keyboard and mouse; true when it succeeded.
bool Xdotool(const std::vector<std::string>& arguments);

// The built program in a folder of its own under the scratch folder, on `on`.
ProgramRun Program(const std::string& name, XSession& on = Session());

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

} // namespace keyweave::x11test
