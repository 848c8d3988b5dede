#include "large_inputs.h"

#include "support/accessibility.h"
#include "support/process.h"
#include "support/program_run.h"

#include <chrono>
#include <filesystem>
#include <fstream>

namespace keyweave::bench {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using x11test::Accessibility;

constexpr auto kPatience = 120s;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The window answers once its main loop turns again: the accessibility bus waits until then.
bool WaitForStatus(pid_t pid, const std::string& text) {
    return Accessibility::WaitFor(pid, "statusbar", text, kPatience).has_value();
}

void WriteManyScripts(x11test::ProgramRun& run) {
    for (int i = 0; i < kManyScripts; ++i) {
        run.AddScript("script" + std::to_string(i) + ".ini",
                      "?kweaver\r\n{Script " + std::to_string(i) +
                          "\r\nKeyStroke(KEY_A, 30)\r\nSleep(10)\r\nMouseLoc(100, 200)\r\n");
    }
}

bool MeasureManyScripts(x11test::XSession& session, const std::string& program,
                        const std::string& folder, LargeInputTimings& timings,
                        std::string& problem) {
    x11test::ProgramRun run(session, program, folder);
    run.WriteSettings("KEY_F12\r\n");
    WriteManyScripts(run);
    auto start = Clock::now();
    if (!run.Start() || !WaitForStatus(run.Pid(), "Select a script.")) {
        problem = "the program did not start with " + std::to_string(kManyScripts) + " scripts";
        return false;
    }
    timings.startManyMs = MsSince(start);
    start = Clock::now();
    if (!Accessibility::Press(run.Pid(), "push button", "Reload Scripts") ||
        !WaitForStatus(run.Pid(), "Choose a script.")) {
        problem = "Reload Scripts did not answer";
        return false;
    }
    timings.reloadManyMs = MsSince(start);
    return true;
}

bool MeasureBigScript(x11test::XSession& session, const std::string& program,
                      const std::string& folder, LargeInputTimings& timings, std::string& problem) {
    x11test::ProgramRun run(session, program, folder);
    run.WriteSettings("KEY_F12\r\n");
    WriteBigScript(folder + "/Scripts/big.ini");
    auto start = Clock::now();
    if (!run.Start() || !WaitForStatus(run.Pid(), "Select a script.")) {
        problem = "the program did not start with the big script";
        return false;
    }
    timings.startBigMs = MsSince(start);
    if (!run.WaitForMainWindow()) {
        problem = "no main window with the big script";
        return false;
    }
    start = Clock::now();
    if (!run.PickScript("Big", problem)) {
        return false;
    }
    timings.pickBigMs = MsSince(start);
    timings.peakBigMiB = x11test::PeakResidentMiB(run.Pid());
    return true;
}

} // namespace

void WriteBigScript(const std::string& path) {
    std::ofstream file(path, std::ios::binary);
    file << "?kweaver\r\n{Big\r\n";
    for (int line = 0; line < kBigScriptLines; ++line) {
        file << "KeyStroke(KEY_" << static_cast<char>('A' + line % 26) << ", 9)\r\n";
    }
}

bool MeasureLargeInputs(x11test::XSession& session, const std::string& program,
                        const std::string& scratch, LargeInputTimings& timings,
                        std::string& problem) {
    return MeasureManyScripts(session, program, scratch + "/many", timings, problem) &&
           MeasureBigScript(session, program, scratch + "/big", timings, problem);
}

} // namespace keyweave::bench
