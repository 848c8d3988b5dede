#pragma once

#include "platform/platform_input.h"

#include <string>
#include <vector>

namespace keyweave {

// What the program's arguments ask for: the program itself, a request to the running program,
// or one of the texts below.
struct CommandLine {
    enum class Kind { Run, Request, Help, Version, Wrong };
    Kind kind = Kind::Run;
    RequestKind request = RequestKind::Toggle;
    std::string scriptName; // UTF-8; empty for none
    std::string problem;    // for Wrong: what is wrong, one line
};

// Reads the arguments after the program's name: none, `--toggle [NAME]`, `--start [NAME]`,
// `--stop`, `--help` or `--version`. The argument after `--toggle` or `--start` is the name,
// whatever it looks like; an empty name is none.
CommandLine ReadCommandLine(const std::vector<std::string>& arguments);

// The texts the program prints for them, each ending with a line break.
extern const char* const kUsageText;
extern const char* const kHelpText;
extern const char* const kVersionText;

// The exit status of a request that ended with `outcome`: 0 when done, else 1.
int ExitStatusOf(const RequestOutcome& outcome);

// Exit statuses besides a request's.
inline constexpr int kExitUnreachable = 1; // the request could not reach a running program
inline constexpr int kExitUsage = 2;

} // namespace keyweave
