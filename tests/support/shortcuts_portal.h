#pragma once

#include "process.h"

#include <string>
#include <sys/types.h>

namespace keyweave::x11test {

// The real xdg-desktop-portal on a session bus, with a GlobalShortcuts backend that
// python3-dbusmock makes from a template and that acts as the desktop: it binds each shortcut
// with its preferred trigger, logs the portal's calls, and activates and deactivates a shortcut
// when a test says so. Programs started afterwards on that bus find the portal.
class ShortcutsPortal {
public:
    ShortcutsPortal() = default;
    ~ShortcutsPortal();
    ShortcutsPortal(const ShortcutsPortal&) = delete;
    ShortcutsPortal& operator=(const ShortcutsPortal&) = delete;

    // Starts both on the bus of `environment` (DBUS_SESSION_BUS_ADDRESS), with their files in
    // `scratchFolder`; false with Problem() set when one does not come.
    bool Start(const std::string& scratchFolder, const Environment& environment,
               const std::string& backendTemplate);
    void Stop();
    const std::string& Problem() const { return problem_; }

    // The backend's log of the portal's calls (dbusmock's format, a call a line).
    std::string Calls() const;
    // The session handle of the last session that the portal created.
    std::string LastSession() const;
    // The backend activates or deactivates a shortcut of a session, as the desktop does when
    // the user presses or releases its keys.
    bool Signal(const std::string& session, const std::string& id, bool activated) const;

private:
    bool Fail(const std::string& problem);

    std::string scratch_;
    std::string bus_;
    std::string problem_;
    pid_t portal_ = -1;
    pid_t backend_ = -1;
};

} // namespace keyweave::x11test
