#include "session_steps.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace keyweave::wayland_test {

void UseAccessibilityBusOf(const x11test::WaylandSession& session) {
    setenv("AT_SPI_BUS_ADDRESS", session.ClientEnvironment().at("AT_SPI_BUS_ADDRESS").c_str(), 1);
}

std::optional<x11test::TopWindow> StartOnSession(const x11test::WaylandSession& session,
                                                 x11test::ProgramRun& run) {
    session.GiveToUser(std::filesystem::path(run.Folder()).parent_path().string());
    if (!run.Start()) {
        return std::nullopt;
    }
    return run.WaitForMainWindow();
}

bool FocusWindowOf(const x11test::WaylandSession& session, pid_t pid) {
    return session.Swaymsg({"[pid=" + std::to_string(pid) + "]", "focus"});
}

} // namespace keyweave::wayland_test
