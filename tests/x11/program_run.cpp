#include "program_run.h"

#include "accessibility.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>
#include <thread>

namespace keyweave::x11test {
namespace fs = std::filesystem;

namespace {

XSession session;
std::string problem;
std::string scratch;

// Starts the session before the first test and ends it, and every process of it, after the
// last.
class SessionEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        char pattern[] = "/tmp/keyweave-x11-tests-XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            problem = "cannot make a scratch folder";
            return;
        }
        scratch = pattern;
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
        if (!scratch.empty()) {
            std::error_code ignored;
            fs::remove_all(scratch, ignored);
        }
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

ProgramRun::ProgramRun(const std::string& name, XSession& on) : session_(on) {
    folder_ = scratch + "/" + name;
    fs::create_directories(folder_ + "/Scripts");
    fs::copy_file(KEYWEAVE_PROGRAM, folder_ + "/keyweave", fs::copy_options::overwrite_existing);
}

ProgramRun::~ProgramRun() {
    if (pid_ > 0 && !exited_) {
        EndChild(pid_);
    }
}

void ProgramRun::AddScript(const std::string& fileName, const std::string& text) {
    std::ofstream(folder_ + "/Scripts/" + fileName, std::ios::binary) << text;
}

void ProgramRun::WriteSettings(const std::string& bytes) {
    std::ofstream(folder_ + "/settings.ini", std::ios::binary) << bytes;
}

std::optional<std::string> ProgramRun::Settings() const {
    std::ifstream file(folder_ + "/settings.ini", std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

bool ProgramRun::Start(const Environment& extra) {
    SpawnOptions options;
    options.environment = session_.ClientEnvironment();
    for (const auto& [name, value] : extra) {
        options.environment[name] = value;
    }
    options.workingFolder = scratch;
    options.outputFile = folder_ + "/output.log";
    pid_ = Spawn({folder_ + "/keyweave"}, options);
    return pid_ > 0;
}

std::string ProgramRun::Output() const {
    std::ifstream file(folder_ + "/output.log");
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::optional<TopWindow>
ProgramRun::WaitForWindow(const std::function<bool(const TopWindow&)>& wanted,
                          std::chrono::milliseconds limit) {
    XClient x(session_.Display());
    auto deadline = std::chrono::steady_clock::now() + limit;
    do {
        for (const TopWindow& window : x.WindowsOf(pid_)) {
            if (wanted(window)) {
                return window;
            }
        }
        std::this_thread::sleep_for(20ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

std::optional<TopWindow> ProgramRun::WaitForMainWindow(std::chrono::milliseconds limit) {
    return WaitForWindow(
        [](const TopWindow& window) {
            return window.title == "Keyweave 1.0" && window.width == 600;
        },
        limit);
}

std::optional<int> ProgramRun::WaitForExit(std::chrono::milliseconds limit) {
    auto status = x11test::WaitForExit(pid_, limit);
    exited_ = status.has_value();
    return status;
}

} // namespace keyweave::x11test
