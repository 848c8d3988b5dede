#include "runtime/system/command_line.h"

namespace keyweave {

const char* const kUsageText =
    "usage: keyweave [--toggle [NAME] | --start [NAME] | --stop | --help | --version]\n";

const char* const kHelpText =
    "usage: keyweave [--toggle [NAME] | --start [NAME] | --stop | --help | --version]\n"
    "\n"
    "Keyweave plays keyboard and mouse scripts. Without an option it opens its window. With\n"
    "one of the first three, it asks the Keyweave that runs for the same folder of settings\n"
    "and scripts, starting it first when none does:\n"
    "\n"
    "  --toggle [NAME]  as a press of the Start/Stop keys: start the chosen script, or stop\n"
    "                   the one that runs; with NAME, choose that script first (a script that\n"
    "                   runs is stopped), or stop it when it is the one that runs\n"
    "  --start [NAME]   start the chosen script, or the script NAME; nothing when it runs\n"
    "  --stop           stop the script that runs and let go of every key and button\n"
    "  --help           show this help\n"
    "  --version        show the version\n"
    "\n"
    "Exit status: 0 when done, 1 when no script is named NAME, none is chosen, a recording\n"
    "or a binding is under way or no Keyweave can be reached, 2 for a wrong option.\n";

const char* const kVersionText = "Keyweave 1.0\n";

namespace {

CommandLine Of(CommandLine::Kind kind) {
    CommandLine line;
    line.kind = kind;
    return line;
}

CommandLine Wrong(std::string problem) {
    CommandLine line = Of(CommandLine::Kind::Wrong);
    line.problem = std::move(problem);
    return line;
}

CommandLine Request(RequestKind kind, std::string scriptName) {
    CommandLine line = Of(CommandLine::Kind::Request);
    line.request = kind;
    line.scriptName = std::move(scriptName);
    return line;
}

bool TakesAName(const std::string& option) {
    return option == "--toggle" || option == "--start";
}

} // namespace

CommandLine ReadCommandLine(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return {};
    }
    const std::string& option = arguments[0];
    CommandLine line;
    if (option == "--toggle" || option == "--start") {
        line = Request(option == "--toggle" ? RequestKind::Toggle : RequestKind::Start,
                       arguments.size() > 1 ? arguments[1] : "");
    } else if (option == "--stop") {
        line = Request(RequestKind::Stop, "");
    } else if (option == "--help") {
        line = Of(CommandLine::Kind::Help);
    } else if (option == "--version") {
        line = Of(CommandLine::Kind::Version);
    } else {
        return Wrong("unknown option \"" + option + "\"");
    }
    const std::size_t most = TakesAName(option) ? 2 : 1;
    if (arguments.size() > most) {
        return Wrong("unexpected argument \"" + arguments[most] + "\"");
    }
    return line;
}

int ExitStatusOf(const RequestOutcome& outcome) {
    return outcome.result == RequestOutcome::Result::Done ? 0 : 1;
}

} // namespace keyweave
