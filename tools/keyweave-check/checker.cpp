#include "checker.h"

#include "app/program_state.h"
#include "file_check.h"
#include "input/key_table.h"
#include "runtime/strings.h"
#include "simulation.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace keyweave::check {

namespace {

constexpr const char* kHelp =
    R"help(Usage: keyweave-check [--strict] FILE...
       keyweave-check [--strict] --list FILE
       keyweave-check [--strict] --simulate MS FILE
       keyweave-check --help

Loads each FILE exactly as Keyweave's script library loads a script and reports
what it finds. What --list shows is what the player runs.

For each FILE that is a script, standard output gets one line:
  FILE: "NAME", N commands

Standard error gets one line per problem, so that editors can jump to it:
  FILE:LINE: error: TEXT      the file is not a script (no "?kweaver" header line,
                              the header as the last significant line, a UTF-8
                              byte-order mark or UTF-16 text in front of the header)
  FILE:LINE: warning: TEXT    a line that the program skips, or reads otherwise
                              than it looks: a statement taken as the name line,
                              a line without "(", an unknown keyword, an unknown key
                              or button name (compiled to code 0), a number that
                              reads as 0 or stops early, text after ")" that joins
                              the last argument, a missing or extra argument,
                              keystring characters that are skipped or press
                              another key, keys or buttons still held when the
                              last command has run, lines after a stop()
  FILE: error: TEXT           the file cannot be read, or is not a regular file
                              (a folder, FIFO, socket or device) and is not opened

Options:
  --list      print the compiled commands of FILE as the main window's script
              view shows them: one per line, indented with tabs, and nothing else
  --simulate MS
              a dry run: play FILE on a simulated 1920 x 1080 desktop with the
              cursor at (960, 540), as if the Start/Stop key had just started it,
              for MS milliseconds of virtual time or until the script stops or
              pauses itself, and print one line per action instead of the summary
              (T is whole milliseconds since the start; NAME is the key table's
              name, or ? for a code without a row):
                T keydown CODE NAME        T mousedown BUTTON NAME
                T keyup CODE NAME          T mouseup BUTTON NAME
                T move X Y                 (only when the cursor really moves)
                T stopped                  T paused
              The lines are written as the run goes. MS is at most
              9223372036853775805 (about 292 million years): the simulated
              clock, a signed 64-bit count of milliseconds, must hold the end of
              the run, its last turn (2 ms) and the longest wait (1000000 ms)
  --strict    warnings count as problems too
  --help      print this text

Exit status:
  0  every FILE is a script
  1  a FILE is not a script, cannot be read or is not a regular file; with
     --strict, also any warning
  2  usage error
)help";

struct Options {
    bool help = false;
    bool strict = false;
    bool list = false;
    std::optional<std::int64_t> simulateMs;
    std::vector<std::string> files;
};

bool IsDecimal(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The count of a decimal text; none when it is above kLongestSimulationMs.
std::optional<std::int64_t> SimulableMilliseconds(const std::string& decimal) {
    std::int64_t value = 0;
    const std::from_chars_result read =
        std::from_chars(decimal.data(), decimal.data() + decimal.size(), value);
    if (read.ec != std::errc() || value > kLongestSimulationMs) {
        return std::nullopt;
    }
    return value;
}

// Reads the count after --simulate into `options`; returns what is wrong with it, or "".
std::string ParseSimulationCount(const std::vector<std::string>& args, std::size_t at,
                                 Options& options) {
    if (at >= args.size() || !IsDecimal(args[at])) {
        return "--simulate needs a number of milliseconds";
    }
    options.simulateMs = SimulableMilliseconds(args[at]);
    if (!options.simulateMs) {
        return "--simulate takes at most " + std::to_string(kLongestSimulationMs) + " milliseconds";
    }
    return "";
}

// Fills `options`; returns what is wrong with the arguments, or "".
std::string ParseOptions(const std::vector<std::string>& args, Options& options) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            options.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--strict") {
            options.strict = true;
        } else if (arg == "--list") {
            options.list = true;
        } else if (arg == "--simulate") {
            if (std::string problem = ParseSimulationCount(args, ++i, options); !problem.empty()) {
                return problem;
            }
        } else {
            return "unknown option \"" + arg + "\"";
        }
    }
    if (options.help) {
        return "";
    }
    if (options.files.empty()) {
        return "no script file given";
    }
    if (options.list && options.simulateMs) {
        return "--list and --simulate exclude each other";
    }
    if (options.list && options.files.size() != 1) {
        return "--list takes exactly one file";
    }
    if (options.simulateMs && options.files.size() != 1) {
        return "--simulate takes exactly one file";
    }
    return "";
}

void PrintDiagnostics(const std::string& file, const Diagnostics& diagnostics, std::ostream& err) {
    for (const Diagnostic& diagnostic : diagnostics) {
        err << file;
        if (diagnostic.line > 0) {
            err << ':' << diagnostic.line;
        }
        err << (diagnostic.severity == Severity::Error ? ": error: " : ": warning: ")
            << ToUtf8(diagnostic.text) << '\n';
    }
}

void PrintListing(const CommandList& commands, std::ostream& out) {
    for (const std::u16string& line : DisplayLines(commands)) {
        out << ToUtf8(line) << '\n';
    }
}

bool HasWarning(const Diagnostics& diagnostics) {
    return std::any_of(diagnostics.begin(), diagnostics.end(), [](const Diagnostic& diagnostic) {
        return diagnostic.severity == Severity::Warning;
    });
}

} // namespace

int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    Options options;
    const std::string usageError = ParseOptions(args, options);
    if (!usageError.empty()) {
        err << "keyweave-check: " << usageError << "\nTry \"keyweave-check --help\".\n";
        return kUsageError;
    }
    if (options.help) {
        out << kHelp;
        return kAllScripts;
    }
    ResetProgramState();
    FillKeyTable();
    bool failed = false;
    bool warned = false;
    for (const std::string& file : options.files) {
        const std::u16string path = FromUtf8(file);
        const std::string shown = ToUtf8(path);
        const FileReport report = CheckFile(path);
        PrintDiagnostics(shown, report.diagnostics, err);
        failed = failed || !report.isScript;
        warned = warned || HasWarning(report.diagnostics);
        if (options.list) {
            PrintListing(report.commands, out);
        } else if (options.simulateMs) {
            failed = failed || (report.isScript && !Simulate(path, *options.simulateMs, out));
        } else if (report.isScript) {
            out << shown << ": \"" << ToUtf8(report.name) << "\", " << report.commands.size()
                << " commands\n";
        }
    }
    return failed || (options.strict && warned) ? kProblems : kAllScripts;
}

} // namespace keyweave::check
