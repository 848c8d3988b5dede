#pragma once

#include <string>

namespace keyweave::x11 {

// Whether this is a Wayland session: XDG_SESSION_TYPE is "wayland" or WAYLAND_DISPLAY is set.
bool InWaylandSession();

// What the user is told once at start about the session the program runs in; empty texts when
// there is nothing to tell. Under Wayland the program runs through XWayland: only X11
// applications receive its keys, and the Start/Stop combination is seen only while an X11
// window has the focus, unless the desktop reports it as its shortcut (`desktopShortcut`).
struct SessionNotice {
    std::u16string status;     // for the status bar
    std::string standardError; // a line for standard error
};

SessionNotice NoticeForThisSession(bool desktopShortcut = false);

} // namespace keyweave::x11
