#include "shared_session.h"

#include "support/accessibility.h"
#include "support/temp_folder.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>

namespace keyweave::x11test {
namespace fs = std::filesystem;

namespace {

XSession session;
std::string problem;
std::unique_ptr<testing::TempFolder> scratchFolder;
std::string scratch;

// Starts the session before the first test and ends it, and every process of it, after the
// last.
class SessionEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        scratchFolder = std::make_unique<testing::TempFolder>("keyweave-x11-tests");
        scratch = scratchFolder->Path().string();
        if (!session.Start(scratch, true, {kScreenWidth, kScreenHeight, kPrimaryMonitor})) {
            problem = session.Problem();
            return;
        }
        if (FindProgram("xdotool").empty()) {
            problem = "xdotool is missing: the real-X tests use it as the user's keyboard and "
                      "mouse (Debian package xdotool)";
            return;
        }
        for (const auto& [name, value] : session.ClientEnvironment()) {
            setenv(name.c_str(), value.c_str(), 1);
        }
    }

    void TearDown() override {
        Accessibility::Disconnect();
        session.Stop();
        scratchFolder.reset();
    }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new SessionEnvironment);

} // namespace

XSession& Session() {
    return session;
}
const std::string& SessionProblem() {
    return problem;
}
const std::string& ScratchFolder() {
    return scratch;
}

bool Xdotool(const std::vector<std::string>& arguments) {
    return session.Xdotool(arguments);
}

ProgramRun Program(const std::string& name, XSession& on) {
    return ProgramRun(on, KEYWEAVE_PROGRAM, scratch + "/" + name);
}

std::set<std::string> IniFiles(const std::string& folder) {
    std::set<std::string> names;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder, ignored)) {
        if (entry.path().extension() == ".ini") {
            names.insert(entry.path().filename().string());
        }
    }
    return names;
}

namespace {

// Starts the installed program for a user whose home is `home`, waits for `label`, and ends it
// with a signal, as the close box would, even while a message box is open.
void ExpectStartShows(const std::string& prefix, const std::string& home, const std::string& label,
                      const std::string& log) {
    SpawnOptions options;
    options.environment = session.ClientEnvironment();
    options.environment["HOME"] = home;
    options.environment["XDG_CONFIG_HOME"] = "";
    options.outputFile = log;
    pid_t pid = Spawn({prefix + "/bin/keyweave"}, options);
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(Accessibility::WaitFor(pid, "label", label, 10s).has_value())
        << Accessibility::Describe(Accessibility::Elements(pid));
    kill(pid, SIGTERM);
    EXPECT_EQ(x11test::WaitForExit(pid, 5s), std::optional<int>(0));
    EndChild(pid);
}

} // namespace

void ExpectInstalledProgramAtHome(const std::string& prefix, const std::string& home) {
    EXPECT_TRUE(fs::exists(prefix + "/share/applications/keyweave.desktop"));
    EXPECT_TRUE(fs::exists(prefix + "/share/icons/hicolor/scalable/apps/keyweave.svg"));
    const std::set<std::string> examples = IniFiles(KEYWEAVE_EXAMPLES);
    ASSERT_FALSE(examples.empty());
    EXPECT_EQ(IniFiles(prefix + "/share/keyweave/Scripts"), examples);

    fs::create_directories(home);
    const std::string config = home + "/.config/keyweave";
    ExpectStartShows(prefix, home, "You need to bind the Start/Stop key!",
                     home + "/first-start.log");
    EXPECT_EQ(IniFiles(config + "/Scripts"), examples);

    std::ofstream(config + "/settings.ini", std::ios::binary) << "KEY_F12\r\n";
    ExpectStartShows(prefix, home, "<F12> ", home + "/second-start.log");
}

} // namespace keyweave::x11test
