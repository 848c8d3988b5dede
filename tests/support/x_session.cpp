#include "x_session.h"

#include "x_client.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <dbus/dbus.h>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <signal.h>
#include <thread>
#include <unistd.h>

namespace keyweave::x11test {
namespace {

using namespace std::chrono_literals;

constexpr auto kStartLimit = 15s;
const char* const kBusLauncher = "/usr/libexec/at-spi-bus-launcher";
const char* const kRegistry = "/usr/libexec/at-spi2-registryd";

// The accessibility bus's address, which the bus launcher puts on the root window.
std::string AccessibilityBusAddress(const std::string& display) {
    Display* connection = XOpenDisplay(display.c_str());
    if (connection == nullptr) {
        return {};
    }
    std::string address;
    Atom property = XInternAtom(connection, "AT_SPI_BUS", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(connection, DefaultRootWindow(connection), property, 0, 1024, False,
                           XA_STRING, &type, &format, &items, &after, &data) == Success &&
        data != nullptr) {
        address.assign(reinterpret_cast<char*>(data), items);
        XFree(data);
    }
    XCloseDisplay(connection);
    return address;
}

} // namespace

bool BusNameHasOwner(const std::string& busAddress, const char* name) {
    DBusError error;
    dbus_error_init(&error);
    DBusConnection* bus = dbus_connection_open_private(busAddress.c_str(), &error);
    bool owned = false;
    if (bus != nullptr && dbus_bus_register(bus, &error)) {
        owned = dbus_bus_name_has_owner(bus, name, &error);
    }
    if (bus != nullptr) {
        dbus_connection_close(bus);
        dbus_connection_unref(bus);
    }
    dbus_error_free(&error);
    return owned;
}

XSession::~XSession() {
    Stop();
}

bool XSession::Fail(const std::string& problem) {
    problem_ = problem;
    return false;
}

bool XSession::Start(const std::string& scratchFolder, bool accessibility,
                     const ScreenLayout& screen) {
    scratch_ = scratchFolder;
    if (!StartServer(screen) || (screen.primary && !SetPrimaryMonitor(*screen.primary))) {
        return false;
    }
    return !accessibility || (StartSessionBus() && StartAccessibility());
}

bool XSession::StartServer(const ScreenLayout& screen) {
    std::string xvfb = FindProgram("Xvfb");
    if (xvfb.empty()) {
        return Fail("Xvfb is missing: the real-X tests need it (Debian package xvfb)");
    }
    Pipe displayNumber;
    SpawnOptions options;
    options.passFd = displayNumber.write;
    options.outputFile = scratch_ + "/xvfb.log";
    // -displayfd: the server picks a free display number and writes it when it is ready.
    server_ = Spawn({xvfb, "-displayfd", "3", "-screen", "0",
                     std::to_string(screen.width) + "x" + std::to_string(screen.height) + "x24",
                     "-noreset", "-nolisten", "tcp"},
                    options);
    displayNumber.CloseWrite();
    if (server_ < 0) {
        return Fail("Xvfb did not start");
    }
    std::string number = displayNumber.ReadLine(kStartLimit);
    if (number.empty()) {
        return Fail("Xvfb did not report its display number; see " + options.outputFile);
    }
    display_ = ":" + number;
    environment_["DISPLAY"] = display_;
    // Programs on this session keep their settings in memory and use no desktop services.
    environment_["GSETTINGS_BACKEND"] = "memory";
    environment_["GIO_USE_VFS"] = "local";
    return true;
}

// The monitor takes over the server's only output ("screen"), whose own monitor would
// otherwise cover the whole screen.
bool XSession::SetPrimaryMonitor(const Monitor& monitor) {
    std::string xrandr = FindProgram("xrandr");
    if (xrandr.empty()) {
        return Fail("xrandr is missing: the real-X tests set monitors with it (Debian package "
                    "x11-xserver-utils)");
    }
    // Width/millimetres x height/millimetres + x + y, at 96 dots per inch.
    auto size = [](int pixels) {
        return std::to_string(pixels) + "/" + std::to_string(pixels * 254 / 960);
    };
    const std::string geometry = size(monitor.width) + "x" + size(monitor.height) + "+" +
                                 std::to_string(monitor.x) + "+" + std::to_string(monitor.y);
    SpawnOptions options;
    options.environment = environment_;
    options.outputFile = scratch_ + "/xrandr.log";
    if (RunToEnd({xrandr, "--setmonitor", "*primary", geometry, "screen"}, options, kStartLimit) !=
        0) {
        return Fail("xrandr did not set the primary monitor; see " + options.outputFile);
    }
    return true;
}

bool XSession::StartSessionBus() {
    std::string daemon = FindProgram("dbus-daemon");
    if (daemon.empty()) {
        return Fail("dbus-daemon is missing: the real-X tests read the window through the "
                    "accessibility bus (Debian package dbus-daemon)");
    }
    // A bus that activates no services, so that nothing starts behind the tests' back.
    std::string config = scratch_ + "/session-bus.conf";
    std::ofstream(config) << "<!DOCTYPE busconfig PUBLIC "
                             "\"-//freedesktop//DTD D-BUS Bus Configuration 1.0//EN\" "
                             "\"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                             "<busconfig><type>session</type>"
                             "<listen>unix:dir="
                          << scratch_
                          << "</listen><auth>EXTERNAL</auth>"
                             "<policy context=\"default\"><allow send_destination=\"*\" "
                             "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                             "</policy></busconfig>\n";
    Pipe address;
    SpawnOptions options;
    options.passFd = address.write;
    options.outputFile = scratch_ + "/session-bus.log";
    sessionBus_ =
        Spawn({daemon, "--config-file=" + config, "--nofork", "--nopidfile", "--print-address=3"},
              options);
    address.CloseWrite();
    std::string line = address.ReadLine(kStartLimit);
    if (sessionBus_ < 0 || line.empty()) {
        return Fail("the session bus did not start; see " + options.outputFile);
    }
    environment_["DBUS_SESSION_BUS_ADDRESS"] = line;
    return true;
}

bool XSession::StartAccessibility() {
    if (FindProgram(kBusLauncher).empty() || FindProgram(kRegistry).empty()) {
        return Fail("the accessibility bus is missing: the real-X tests read the window through "
                    "it (Debian package at-spi2-core)");
    }
    SpawnOptions options;
    options.environment = environment_;
    options.outputFile = scratch_ + "/accessibility.log";
    busLauncher_ = Spawn({kBusLauncher, "--launch-immediately"}, options);
    std::string address;
    bool up = busLauncher_ > 0 && WaitUntil(
                                      [&] {
                                          address = AccessibilityBusAddress(display_);
                                          return !address.empty();
                                      },
                                      kStartLimit);
    if (!up) {
        return Fail("the accessibility bus did not start; see " + options.outputFile);
    }
    environment_["AT_SPI_BUS_ADDRESS"] = address;
    options.environment = environment_;
    registry_ = Spawn({kRegistry}, options);
    if (registry_ < 0 ||
        !WaitUntil([&] { return BusNameHasOwner(address, "org.a11y.atspi.Registry"); },
                   kStartLimit)) {
        return Fail("the accessibility registry did not start; see " + options.outputFile);
    }
    return true;
}

bool XSession::Xdotool(const std::vector<std::string>& arguments,
                       std::chrono::milliseconds limit) const {
    std::vector<std::string> command{FindProgram("xdotool")};
    command.insert(command.end(), arguments.begin(), arguments.end());
    SpawnOptions options;
    options.environment = environment_;
    return RunToEnd(command, options, limit) == 0;
}

pid_t XSession::StartClient(const std::vector<std::string>& command,
                            const SpawnOptions& options) const {
    return Spawn(command, options);
}

bool XSession::ClickAt(int x, int y) const {
    return Xdotool({"mousemove", std::to_string(x), std::to_string(y)}) && Xdotool({"click", "1"});
}

std::vector<TopWindow> XSession::WindowsOf(pid_t pid) const {
    return XClient(display_).WindowsOf(pid);
}

void XSession::Stop() {
    EndChild(registry_);
    registry_ = -1;
    if (busLauncher_ > 0) {
        // The launcher's own bus goes first, so that the launcher reaps it.
        for (pid_t bus : ChildrenOf(busLauncher_)) {
            EndProcess(bus);
            WaitUntil([bus] { return kill(bus, 0) != 0; }, 1s);
        }
        EndChild(busLauncher_);
        busLauncher_ = -1;
    }
    EndChild(sessionBus_);
    sessionBus_ = -1;
    EndChild(server_);
    server_ = -1;
}

} // namespace keyweave::x11test
