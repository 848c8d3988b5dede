#pragma once

#include "runtime/system/command_line.h"

#include <string>

namespace keyweave::x11 {

// The program's arguments; `--help`, `--version` and wrong arguments are answered on standard
// output or error at once and end the process.
CommandLine ReadArgumentsOrExit(int argc, char** argv);

// When the Keyweave with the application id `id` runs already, hands it the arguments
// (GApplicationCommandLine), prints what it answers on standard error and ends this process
// with the status it gives. Returns when none runs or no session bus can be reached: the
// program itself then starts and sorts it out. Needs GIO only.
void HandOverIfRunning(const std::string& id, int argc, char** argv);

} // namespace keyweave::x11
