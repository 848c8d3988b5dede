#pragma once

#include "runtime/system/command_line.h"

#include <filesystem>
#include <string>

typedef struct _GApplication GApplication;

namespace keyweave {

class SystemDriver;

namespace x11 {

// The application id of the Keyweave of the user's settings home, where an installed program
// keeps its settings and scripts.
inline constexpr const char* kApplicationId = "org.keyweave.Keyweave";

// The application id of the Keyweave of a folder of settings and scripts: kApplicationId for
// the settings home, and for any other folder that id followed by ".F" and 16 hexadecimal
// digits of a hash of the folder's absolute path, so that the programs of two folders never
// answer each other's requests.
std::string ApplicationIdFor(const std::filesystem::path& folder,
                             const std::filesystem::path& settingsHome);

// The program's arguments; `--help`, `--version` and wrong arguments are answered on standard
// output or error at once and end the process.
CommandLine ReadArgumentsOrExit(int argc, char** argv);

// One Keyweave per folder: a GApplication with the folder's id on the session bus. Another
// process for the same folder hands its arguments to this one (GApplicationCommandLine), which
// carries out their request, prints what came of it on that process's standard error and
// gives it its exit status; without a request it brings the window to the front. The actions
// `toggle` and `start` (the script's name as a string, "" for the chosen one) and `stop` (no
// parameter) do the same for `gapplication action`. Requests and actions reach the core on
// the main thread, as the program's loop pumps GLib's default main context.
class ProgramInstance {
public:
    // Registers the program of the current folder. When another process is that program
    // already, hands it the arguments and ends this process with the status it gives, before
    // anything connects to the X server. Without a session bus a request ends the process with
    // status 1; the program itself then runs unregistered.
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
