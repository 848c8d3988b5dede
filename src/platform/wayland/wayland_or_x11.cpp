#include "platform/wayland/wayland_platform.h"
#include "platform/x11/launcher.h"
#include "platform/x11/program_folder.h"
#include "platform/x11/program_instance.h"
#include "platform/x11/x11_platform.h"

namespace keyweave {

// The Linux program runs on the Wayland layer where the compositor lets a client send keys and
// buttons, and on the X11 layer otherwise (through XWayland on GNOME and KDE).
std::unique_ptr<Platform> CreatePlatform(int argc, char** argv) {
    const CommandLine line = x11::ReadArgumentsOrExit(argc, argv);
    x11::EnterProgramFolder();
    // The one Keyweave of this folder for the life of the process; when another process is
    // that program, this one ends here, its request handed over.
    static const x11::ProgramInstance instance(line, argc, argv);

    std::unique_ptr<Platform> platform = wayland::CreateWaylandPlatform(argc, argv);
    if (platform == nullptr) {
        platform = x11::CreateX11Platform(argc, argv);
    }
    instance.CarryOutOwnRequest(platform->System());
    return platform;
}

} // namespace keyweave
