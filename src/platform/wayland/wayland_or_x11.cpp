#include "platform/gtk/program_folder.h"
#include "platform/wayland/wayland_platform.h"
#include "platform/x11/x11_platform.h"

namespace keyweave {

// The Linux program runs on the Wayland layer where the compositor lets a client send keys and
// buttons, and on the X11 layer otherwise (through XWayland on GNOME and KDE).
std::unique_ptr<Platform> CreatePlatform(int argc, char** argv) {
    gtk::EnterProgramFolder();
    if (auto platform = wayland::CreateWaylandPlatform(argc, argv)) {
        return platform;
    }
    return x11::CreateX11Platform(argc, argv);
}

} // namespace keyweave
