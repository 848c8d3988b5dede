#include "platform/wayland/wayland_watcher.h"

#include <cstdio>

namespace keyweave::wayland {

bool WaylandWatcher::BeginWatching() {
    std::fputs("keyweave: cannot record on Wayland: the compositor gives a program's keys and "
               "buttons only to the window that has the focus, and no program may watch "
               "another's. Start Keyweave in an X11 session to record scripts.\n",
               stderr);
    return false;
}

} // namespace keyweave::wayland
