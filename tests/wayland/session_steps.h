#pragma once

#include "support/program_run.h"
#include "support/wayland_session.h"

#include <optional>
#include <sys/types.h>

namespace keyweave::wayland_test {

// Makes this process read the windows of the session's programs through the session's
// accessibility bus.
void UseAccessibilityBusOf(const x11test::WaylandSession& session);

// Starts the program as the session's user, its folder given to that user, and waits for its
// main window, which floats at the output's top left corner.
std::optional<x11test::TopWindow> StartOnSession(const x11test::WaylandSession& session,
                                                 x11test::ProgramRun& run);

// Gives the keyboard focus to the window of a process, as when the user clicks it.
bool FocusWindowOf(const x11test::WaylandSession& session, pid_t pid);

} // namespace keyweave::wayland_test
