#include "shortcuts_portal.h"

#include "x_session.h"

#include <filesystem>
#include <fstream>
#include <gio/gio.h>
#include <sstream>

namespace keyweave::x11test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr auto kStartLimit = 15s;
const char* const kPortal = "/usr/libexec/xdg-desktop-portal";
const char* const kBackendName = "org.freedesktop.impl.portal.Test";

} // namespace

ShortcutsPortal::~ShortcutsPortal() {
    Stop();
}

bool ShortcutsPortal::Fail(const std::string& problem) {
    problem_ = problem;
    return false;
}

bool ShortcutsPortal::Start(const std::string& scratchFolder, const Environment& environment,
                            const std::string& backendTemplate) {
    scratch_ = scratchFolder;
    bus_ = environment.at("DBUS_SESSION_BUS_ADDRESS");
    if (FindProgram(kPortal).empty()) {
        return Fail("xdg-desktop-portal is missing (Debian package xdg-desktop-portal)");
    }
    const std::string folder = scratch_ + "/portals";
    fs::create_directories(folder);
    std::ofstream(folder + "/test.portal")
        << "[portal]\nDBusName=" << kBackendName
        << "\nInterfaces=org.freedesktop.impl.portal.GlobalShortcuts;\nUseIn=keyweave-test\n";
    SpawnOptions backend;
    backend.environment = environment;
    backend.outputFile = scratch_ + "/portal-backend.log";
    std::error_code ignored;
    fs::remove(scratch_ + "/portal-calls.log", ignored);
    backend_ = Spawn({"/usr/bin/python3", "-m", "dbusmock", "--template", backendTemplate, "-l",
                      scratch_ + "/portal-calls.log"},
                     backend);
    if (backend_ < 0 ||
        !WaitUntil([&] { return BusNameHasOwner(bus_, kBackendName); }, kStartLimit)) {
        return Fail("the portal's backend did not start (python3-dbusmock); see " +
                    backend.outputFile);
    }
    SpawnOptions options;
    options.environment = environment;
    options.environment["XDG_CURRENT_DESKTOP"] = "keyweave-test";
    options.environment["XDG_DESKTOP_PORTAL_DIR"] = folder;
    options.outputFile = scratch_ + "/portal.log";
    portal_ = Spawn({kPortal, "--verbose"}, options);
    if (portal_ < 0 ||
        !WaitUntil([&] { return BusNameHasOwner(bus_, "org.freedesktop.portal.Desktop"); },
                   kStartLimit)) {
        return Fail("xdg-desktop-portal did not start; see " + options.outputFile);
    }
    return true;
}

void ShortcutsPortal::Stop() {
    EndChild(portal_);
    portal_ = -1;
    EndChild(backend_);
    backend_ = -1;
}

std::string ShortcutsPortal::Calls() const {
    std::ifstream file(scratch_ + "/portal-calls.log");
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// A call is logged as its time, its name and its arguments, strings in double quotes:
// CreateSession's second argument is the session's handle.
std::string ShortcutsPortal::LastSession() const {
    const std::string calls = Calls();
    const auto call = calls.rfind(" CreateSession ");
    if (call == std::string::npos) {
        return "";
    }
    const auto firstEnd = calls.find('"', calls.find('"', call) + 1);
    const auto second = calls.find('"', firstEnd + 1) + 1;
    return calls.substr(second, calls.find('"', second) - second);
}

bool ShortcutsPortal::Signal(const std::string& session, const std::string& id,
                             bool activated) const {
    GDBusConnection* bus = g_dbus_connection_new_for_address_sync(
        bus_.c_str(),
        static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                          G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION),
        nullptr, nullptr, nullptr);
    if (bus == nullptr) {
        return false;
    }
    GVariantBuilder arguments;
    g_variant_builder_init(&arguments, G_VARIANT_TYPE("av"));
    g_variant_builder_add(&arguments, "v", g_variant_new_object_path(session.c_str()));
    g_variant_builder_add(&arguments, "v", g_variant_new_string(id.c_str()));
    g_variant_builder_add(&arguments, "v", g_variant_new_uint64(0));
    g_variant_builder_add(&arguments, "v", g_variant_new("a{sv}", nullptr));
    GVariant* reply = g_dbus_connection_call_sync(
        bus, kBackendName, "/org/freedesktop/portal/desktop", "org.freedesktop.DBus.Mock",
        "EmitSignal",
        g_variant_new("(sssav)", "org.freedesktop.impl.portal.GlobalShortcuts",
                      activated ? "Activated" : "Deactivated", "osta{sv}", &arguments),
        nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    if (reply != nullptr) {
        g_variant_unref(reply);
    }
    g_object_unref(bus);
    return reply != nullptr;
}

} // namespace keyweave::x11test
