#include "platform/x11/launcher.h"

#include <cstdio>
#include <cstdlib>
#include <gio/gio.h>
#include <vector>

namespace keyweave::x11 {

CommandLine ReadArgumentsOrExit(int argc, char** argv) {
    const std::vector<std::string> arguments =
        argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
    const CommandLine line = ReadCommandLine(arguments);
    switch (line.kind) {
    case CommandLine::Kind::Help:
        std::fputs(kHelpText, stdout);
        std::exit(0);
    case CommandLine::Kind::Version:
        std::fputs(kVersionText, stdout);
        std::exit(0);
    case CommandLine::Kind::Wrong:
        std::fprintf(stderr, "keyweave: %s\n%s", line.problem.c_str(), kUsageText);
        std::exit(kExitUsage);
    default:
        return line;
    }
}

// A launcher never owns the id: its registration asks the owner for its actions, and fails
// when there is none.
void HandOverIfRunning(const std::string& id, int argc, char** argv) {
    GApplication* application = g_application_new(
        id.c_str(), static_cast<GApplicationFlags>(G_APPLICATION_HANDLES_COMMAND_LINE |
                                                   G_APPLICATION_IS_LAUNCHER));
    if (g_application_register(application, nullptr, nullptr) &&
        g_application_get_is_remote(application)) {
        const int status = g_application_run(application, argc, argv);
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(status);
    }
    g_object_unref(application);
}

} // namespace keyweave::x11
