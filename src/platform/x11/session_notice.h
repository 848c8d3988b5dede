#pragma once

#include <string>

namespace keyweave::x11 {

// What the user is told once at start about the session the program runs in; empty texts when
// there is nothing to tell. Under Wayland (XDG_SESSION_TYPE is "wayland" or WAYLAND_DISPLAY is
// set) the program runs through XWayland: only X11 applications receive its keys, and the
// Start/Stop combination is seen only while an X11 window has the focus.
struct SessionNotice {
    std::u16string status;     // for the status bar
    std::string standardError; // a line for standard error
};

SessionNotice NoticeForThisSession();

} // namespace keyweave::x11
