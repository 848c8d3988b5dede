#pragma once

#include "runtime/system/command_line.h"

typedef struct _GApplication GApplication;

namespace keyweave {

class SystemDriver;

namespace x11 {

// One Keyweave per folder: a GApplication with the folder's id (application_id.h) on the
// session bus. Another process for the same folder hands its arguments to this one (launcher.h,
// GApplicationCommandLine), which carries out their request, prints what came of it on that
// process's standard error and gives it its exit status; without a request it brings the
// window to the front. The actions `toggle` and `start` (the script's name as a string, "" for
// the chosen one) and `stop` (no parameter) do the same for `gapplication action`. Requests and
// actions reach the core on the main thread, as the program's loop pumps GLib's default main
// context.
class ProgramInstance {
public:
    // Registers the program of the current folder. When another process is that program
    // already (one started since the launcher looked), hands it the arguments and ends this
    // process with the status it gives, before anything connects to the X server. Without a session
    // bus a request ends the process with status 1; the program itself then runs unregistered.
    ProgramInstance(const CommandLine& line, int argc, char** argv);
    ~ProgramInstance();
    ProgramInstance(const ProgramInstance&) = delete;
    ProgramInstance& operator=(const ProgramInstance&) = delete;

    // This process's own request, carried out once the core has started (at its first pump),
    // with what came of it on standard error.
    void CarryOutOwnRequest(SystemDriver& system) const;

private:
    CommandLine line_;
    GApplication* application_ = nullptr;
};

} // namespace x11
} // namespace keyweave
