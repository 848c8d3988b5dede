#include "platform/x11/session_notice.h"

#include <cstdlib>
#include <string_view>

namespace keyweave::x11 {
namespace {

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

} // namespace

bool InWaylandSession() {
    const char* type = std::getenv("XDG_SESSION_TYPE");
    return (type != nullptr && std::string_view(type) == "wayland") || Set("WAYLAND_DISPLAY");
}

SessionNotice NoticeForThisSession(bool desktopShortcut) {
    if (!InWaylandSession()) {
        return {};
    }
    if (desktopShortcut) {
        return {
            u"Wayland session: only X11 windows get the keys; Start/Stop is a desktop shortcut.",
            "keyweave: this is a Wayland session, and Keyweave runs through XWayland: only "
            "X11 applications receive its keys. The Start/Stop keys are registered with the "
            "desktop as its shortcut \"Start/Stop\" (the desktop may ask you to confirm or "
            "change them).\n"};
    }
    return {u"Wayland session: X11 windows only; for Start/Stop anywhere, bind keyweave --toggle.",
            "keyweave: this is a Wayland session, and Keyweave runs through XWayland: only X11 "
            "applications receive its keys, and the Start/Stop combination is seen only while "
            "an X11 window has the focus. To start and stop a script from anywhere, bind a key "
            "of the desktop to the command keyweave --toggle NAME (see keyweave(1)).\n"};
}

} // namespace keyweave::x11
