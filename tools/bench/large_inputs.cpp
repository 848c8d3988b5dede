#include "large_inputs.h"

#include "support/accessibility.h"
#include "support/process.h"
#include "support/program_run.h"
#include "support/x_client.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>

namespace keyweave::bench {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using x11test::Accessibility;

constexpr auto kPatience = 120s;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

constexpr int kPatienceMs = 120000;

// The main window, once the program answers a ping at it: its main loop turns.
std::optional<x11test::TopWindow> AnsweringWindow(x11test::XSession& session,
                                                  x11test::ProgramRun& run) {
    const auto window = run.WaitForMainWindow(kPatience);
    x11test::XClient x(session.Display());
    if (!window || !x.Ping(window->id, kPatienceMs)) {
        return std::nullopt;
    }
    return window;
}

// A click reaches the window before the work it asks for is done: the first ping may be
// answered by the pump that took the click, the second only by the next.
bool ClickAndWaitForAnswer(x11test::XSession& session, const x11test::TopWindow& window, int x,
                           int y) {
    x11test::XClient client(session.Display());
    return session.Xdotool(
               {"mousemove", std::to_string(window.x + x), std::to_string(window.y + y)}, 10s) &&
           session.Xdotool({"click", "1"}, 10s) && client.Ping(window.id, kPatienceMs) &&
           client.Ping(window.id, kPatienceMs);
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
    const auto window = run.Start() ? AnsweringWindow(session, run) : std::nullopt;
    if (!window) {
        problem = "the program did not start with " + std::to_string(kManyScripts) + " scripts";
        return false;
    }
    timings.startManyMs = MsSince(start);
    start = Clock::now();
    // The middle of "Reload Scripts".
    if (!ClickAndWaitForAnswer(session, *window, 100, 322)) {
        problem = "Reload Scripts did not answer";
        return false;
    }
    timings.reloadManyMs = MsSince(start);
    if (!Accessibility::WaitFor(run.Pid(), "statusbar", "Choose a script.", kPatience)) {
        problem = "Reload Scripts did not reload";
        return false;
    }
    return true;
}

bool MeasureBigScript(x11test::XSession& session, const std::string& program,
                      const std::string& folder, LargeInputTimings& timings, std::string& problem) {
    x11test::ProgramRun run(session, program, folder);
    run.WriteSettings("KEY_F12\r\n");
    WriteBigScript(folder + "/Scripts/big.ini");
    auto start = Clock::now();
    if (!run.Start() || !AnsweringWindow(session, run)) {
        problem = "the program did not start with the big script";
        return false;
    }
    timings.startBigMs = MsSince(start);
    start = Clock::now();
    if (!run.PickScript("Big", problem)) {
        return false;
    }
    timings.pickBigMs = MsSince(start);
    timings.peakBigMiB = x11test::PeakResidentMiB(run.Pid());
    return true;
}

bool MeasureFullLibrary(x11test::XSession& session, const std::string& program,
                        const std::string& folder, LargeInputTimings& timings,
                        std::string& problem) {
    x11test::ProgramRun run(session, program, folder);
    run.WriteSettings("KEY_F12\r\n");
    for (int script = 0; script < kFullLibraryScripts; ++script) {
        WriteBigScript(folder + "/Scripts/big" + std::to_string(script) + ".ini");
    }
    const auto start = Clock::now();
    if (!run.Start() || !AnsweringWindow(session, run)) {
        problem = "the program did not start with a full library";
        return false;
    }
    timings.startFullMs = MsSince(start);
    timings.peakFullMiB = x11test::PeakResidentMiB(run.Pid());
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
           MeasureBigScript(session, program, scratch + "/big", timings, problem) &&
           MeasureFullLibrary(session, program, scratch + "/full", timings, problem);
}

} // namespace keyweave::bench
