#include "wayland_session.h"

#include "x_session.h"

#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace keyweave::x11test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kStartLimit = 15s;
const char* const kRegistry = "/usr/libexec/at-spi2-registryd";

// Prints "pid x y width height title" for each window of the compositor's tree (a file of
// swaymsg -t get_tree), its content's place on the output.
constexpr const char* kWindowLister = R"(
import json, sys
def walk(node):
    if node.get("pid"):
        rect, inner = node["rect"], node["window_rect"]
        print(node["pid"], rect["x"] + inner["x"], rect["y"] + inner["y"],
              inner["width"], inner["height"], node.get("name") or "")
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        walk(child)
walk(json.load(open(sys.argv[1])))
)";

// The first file of `folder` whose name starts with `prefix` and does not end with `unwanted`.
std::string FileStartingWith(const std::string& folder, const std::string& prefix,
                             const std::string& unwanted) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0 &&
            (name.size() < unwanted.size() ||
             name.compare(name.size() - unwanted.size(), unwanted.size(), unwanted) != 0)) {
            return name;
        }
    }
    return {};
}

std::string ReadAll(const std::string& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

WaylandSession::~WaylandSession() {
    Stop();
}

bool WaylandSession::Fail(const std::string& problem) {
    problem_ = problem;
    return false;
}

bool WaylandSession::Start(const std::string& scratchFolder, const std::string& extraConfig) {
    scratch_ = scratchFolder;
    for (const char* tool : {"sway", "swaymsg", "wtype", "dbus-daemon"}) {
        if (FindProgram(tool).empty()) {
            return Fail(std::string(tool) +
                        " is missing: the Wayland tests need sway, wtype and dbus-daemon (Debian "
                        "packages sway, wtype, dbus-daemon)");
        }
    }
    if (!PrepareUser()) {
        return false;
    }
    const std::string runtime = scratch_ + "/runtime";
    fs::create_directories(runtime);
    fs::create_directories(scratch_ + "/home");
    GiveToUser(scratch_);
    chmod(scratch_.c_str(), 0755);
    chmod(runtime.c_str(), 0700);
    environment_ = {{"HOME", scratch_ + "/home"},
                    {"XDG_RUNTIME_DIR", runtime},
                    {"PATH", "/usr/local/bin:/usr/bin:/bin"},
                    {"LANG", "C.UTF-8"},
                    {"GSETTINGS_BACKEND", "memory"},
                    {"GIO_USE_VFS", "local"}};
    return StartAccessibility() && StartCompositor(extraConfig);
}

bool WaylandSession::PrepareUser() {
    if (getuid() != 0) {
        uid_ = getuid();
        gid_ = getgid();
        return true;
    }
    if (getpwnam(kUser) == nullptr &&
        RunToEnd({FindProgram("useradd"), "--create-home", kUser}, {}, 30s) != 0) {
        return Fail(std::string("cannot create the user ") + kUser + " for the compositor");
    }
    const passwd* user = getpwnam(kUser);
    if (user == nullptr) {
        return Fail(std::string("no user ") + kUser);
    }
    switchUser_ = true;
    uid_ = user->pw_uid;
    gid_ = user->pw_gid;
    return true;
}

void WaylandSession::GiveToUser(const std::string& path) const {
    if (!switchUser_) {
        return;
    }
    std::error_code error;
    if (lchown(path.c_str(), uid_, gid_) != 0 || !fs::is_directory(path, error)) {
        return;
    }
    for (const auto& entry : fs::recursive_directory_iterator(path, error)) {
        if (lchown(entry.path().c_str(), uid_, gid_) != 0) {
            return;
        }
    }
}

std::vector<std::string> WaylandSession::AsUser(const std::vector<std::string>& command) const {
    std::vector<std::string> prefixed;
    if (switchUser_) {
        prefixed = {FindProgram("setpriv"), "--reuid=" + std::to_string(uid_),
                    "--regid=" + std::to_string(gid_), "--init-groups"};
    }
    prefixed.insert(prefixed.end(), command.begin(), command.end());
    return prefixed;
}

pid_t WaylandSession::StartClient(const std::vector<std::string>& command,
                                  const SpawnOptions& options) const {
    Environment environment = environment_;
    for (const auto& [name, value] : options.environment) {
        environment[name] = value;
    }
    std::vector<std::string> withEnvironment{FindProgram("env"), "-i"};
    for (const auto& [name, value] : environment) {
        withEnvironment.push_back(name + "=" + value);
    }
    withEnvironment.insert(withEnvironment.end(), command.begin(), command.end());
    SpawnOptions spawn = options;
    spawn.environment.clear();
    return Spawn(AsUser(withEnvironment), spawn);
}

int WaylandSession::RunAsUser(const std::vector<std::string>& command,
                              std::chrono::milliseconds limit) const {
    const pid_t pid = StartClient(command, {});
    if (pid < 0) {
        return -1;
    }
    const std::optional<int> status = WaitForExit(pid, limit);
    if (!status) {
        EndChild(pid);
        return -1;
    }
    return *status;
}

bool WaylandSession::StartAccessibility() {
    if (FindProgram(kRegistry).empty()) {
        return Fail("the accessibility registry is missing: the Wayland tests read the window "
                    "through it (Debian package at-spi2-core)");
    }
    // A bus that every user may use and that activates no services.
    const std::string folder = scratch_ + "/bus";
    fs::create_directories(folder);
    const std::string config = folder + "/bus.conf";
    std::ofstream(config) << "<!DOCTYPE busconfig PUBLIC "
                             "\"-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN\" "
                             "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                             "<busconfig><type>session</type><listen>unix:dir="
                          << folder
                          << "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                             "<allow user=\"*\"/><allow send_destination=\"*\" "
                             "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                             "</policy></busconfig>\n";
    Pipe address;
    SpawnOptions options;
    options.passFd = address.write;
    options.outputFile = scratch_ + "/bus.log";
    bus_ = Spawn({FindProgram("dbus-daemon"), "--config-file=" + config, "--nofork", "--nopidfile",
                  "--print-address=3"},
                 options);
    address.CloseWrite();
    const std::string line = address.ReadLine(kStartLimit);
    if (bus_ < 0 || line.empty()) {
        return Fail("the accessibility bus did not start; see " + options.outputFile);
    }
    environment_["AT_SPI_BUS_ADDRESS"] = line;
    environment_["DBUS_SESSION_BUS_ADDRESS"] = line;
    SpawnOptions registry;
    registry.environment = environment_;
    registry.outputFile = scratch_ + "/registry.log";
    registry_ = Spawn({kRegistry}, registry);
    if (registry_ < 0 ||
        !WaitUntil([&] { return BusNameHasOwner(line, "org.a11y.atspi.Registry"); }, kStartLimit)) {
        return Fail("the accessibility registry did not start; see " + registry.outputFile);
    }
    return true;
}

bool WaylandSession::StartCompositor(const std::string& extraConfig) {
    const std::string config = scratch_ + "/sway.conf";
    std::ofstream(config) << "output HEADLESS-1 resolution " << kWidth << "x" << kHeight
                          << " position 0 0\n"
                             "xwayland disable\n"
                             "default_border none\n"
                             "default_floating_border none\n"
                             "focus_follows_mouse no\n"
                             "for_window [app_id=\"keyweave\"] floating enable, move absolute "
                             "position 0 0\n"
                          << extraConfig << "\n";
    GiveToUser(config);
    SpawnOptions options;
    options.environment = {
        {"WLR_BACKENDS", "headless"}, {"WLR_RENDERER", "pixman"}, {"WLR_LIBINPUT_NO_DEVICES", "1"}};
    options.outputFile = scratch_ + "/sway.log";
    compositor_ = StartClient({FindProgram("sway"), "-c", config}, options);
    const std::string runtime = environment_["XDG_RUNTIME_DIR"];
    std::string display;
    std::string ipc;
    const bool up = compositor_ > 0 && WaitUntil(
                                           [&] {
                                               display =
                                                   FileStartingWith(runtime, "wayland-", ".lock");
                                               ipc = FileStartingWith(runtime, "sway-ipc.", ".x");
                                               return !display.empty() && !ipc.empty();
                                           },
                                           kStartLimit);
    if (!up) {
        return Fail("sway did not start:\n" + ReadAll(options.outputFile));
    }
    environment_["WAYLAND_DISPLAY"] = display;
    environment_["SWAYSOCK"] = runtime + "/" + ipc;
    return true;
}

bool WaylandSession::Swaymsg(const std::vector<std::string>& arguments,
                             std::chrono::milliseconds limit) const {
    std::vector<std::string> command{FindProgram("swaymsg")};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return RunAsUser(command, limit) == 0;
}

bool WaylandSession::Wtype(const std::vector<std::string>& arguments,
                           std::chrono::milliseconds limit) const {
    std::vector<std::string> command{FindProgram("wtype")};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return RunAsUser(command, limit) == 0;
}

bool WaylandSession::MovePointer(int x, int y) const {
    return Swaymsg({"seat", "seat0", "cursor", "set", std::to_string(x), std::to_string(y)});
}

bool WaylandSession::Button(int button, bool down) const {
    return Swaymsg(
        {"seat", "seat0", "cursor", down ? "press" : "release", "button" + std::to_string(button)});
}

bool WaylandSession::ClickAt(int x, int y) const {
    return MovePointer(x, y) && Button(1, true) && Button(1, false);
}

std::vector<TopWindow> WaylandSession::WindowsOf(pid_t pid) const {
    const std::string tree = scratch_ + "/tree.json";
    const std::string listed = scratch_ + "/windows.txt";
    // Spawn appends to an output file.
    std::error_code ignored;
    fs::remove(tree, ignored);
    fs::remove(listed, ignored);
    SpawnOptions toTree;
    toTree.outputFile = tree;
    const pid_t swaymsg = StartClient({FindProgram("swaymsg"), "-r", "-t", "get_tree"}, toTree);
    std::vector<TopWindow> windows;
    if (swaymsg < 0 || WaitForExit(swaymsg, 5s) != std::optional<int>(0)) {
        EndChild(swaymsg);
        return windows;
    }
    SpawnOptions toList;
    toList.outputFile = listed;
    if (RunToEnd({"/usr/bin/python3", "-c", kWindowLister, tree}, toList, 5s) != 0) {
        return windows;
    }
    std::istringstream lines(ReadAll(listed));
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields(line);
        pid_t owner = 0;
        TopWindow window;
        fields >> owner >> window.x >> window.y >> window.width >> window.height >> std::ws;
        std::getline(fields, window.title);
        if (owner == pid) {
            windows.push_back(window);
        }
    }
    return windows;
}

void WaylandSession::Stop() {
    EndChild(compositor_);
    compositor_ = -1;
    EndChild(registry_);
    registry_ = -1;
    EndChild(bus_);
    bus_ = -1;
}

} // namespace keyweave::x11test
