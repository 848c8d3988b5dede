// Measures the real Linux build on a private Xvfb, beside xdotool in the same run, and prints
// one table. Figures are printed, never judged: the machine is shared and noisy.

#include "core_timings.h"
#include "large_inputs.h"
#include "request_latency.h"
#include "sleeper.h"
#include "statistics.h"
#include "support/accessibility.h"
#include "support/process.h"
#include "support/program_run.h"
#include "support/recorder.h"
#include "support/recording_journey.h"
#include "support/temp_folder.h"
#include "support/x_client.h"
#include "support/x_session.h"
#include "table.h"
#include "waits.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace keyweave::bench {
namespace {

using namespace std::chrono_literals;
using x11test::InputEvent;

constexpr int kWaitPairs10 = 100;
constexpr int kWaitPairs100 = 40;
constexpr int kLatencySamples = 40;
constexpr int kJourneyRounds = 10;
constexpr auto kCpuSpan = 10s;

const std::string kLatencyScript = "?kweaver\r\n{Latency\r\nKeyDown(KEY_B)\r\nKeyUp(KEY_B)\r\n"
                                   "Stop()\r\n";
// Its moves keep the pointer off the program's window (centred on the 1024 x 768 screen): the
// focus follows the pointer, and keys typed onto the window would cost GTK's handling of them.
const std::string kBusyScript = "?kweaver\r\n{Busy\r\nKeyStroke(KEY_C, 30)\r\nSleep(20)\r\n"
                                "MouseLoc(20, 20)\r\nSleep(20)\r\nMouseLoc(30, 30)\r\n"
                                "Sleep(20)\r\n";

double Ms(x11test::Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// The gaps between consecutive events of one key since `from`, either presses only or every
// press and release.
std::vector<double> Gaps(const std::vector<InputEvent>& events, std::size_t from, int keycode,
                         bool pressesOnly) {
    std::vector<double> gaps;
    const InputEvent* previous = nullptr;
    for (std::size_t i = from; i < events.size(); ++i) {
        const InputEvent& event = events[i];
        const bool key = event.kind == InputEvent::KeyDown || event.kind == InputEvent::KeyUp;
        if (!key || event.detail != keycode || (pressesOnly && event.kind != InputEvent::KeyDown)) {
            continue;
        }
        if (previous != nullptr) {
            gaps.push_back(Ms(event.seen - previous->seen));
        }
        previous = &event;
    }
    return gaps;
}

Summary Once(double value) {
    Summary figure;
    figure.count = 1;
    figure.mean = value;
    return figure;
}

// A figure of the program's that is measured once, with what it means.
struct SingleFigure {
    std::string measure;
    double value;
    std::string note;
};

void AddSingleFigures(std::vector<Row>& rows, const std::vector<SingleFigure>& figures,
                      const Summary& lateness) {
    for (const SingleFigure& figure : figures) {
        rows.push_back({figure.measure, "keyweave", Once(figure.value), lateness, figure.note});
    }
}

std::size_t CountOf(const x11test::Recorder& recorder, std::size_t from, int keycode) {
    std::size_t count = 0;
    const auto events = recorder.Events();
    for (std::size_t i = from; i < events.size(); ++i) {
        count += events[i].detail == keycode &&
                 (events[i].kind == InputEvent::KeyDown || events[i].kind == InputEvent::KeyUp);
    }
    return count;
}

bool WaitForCount(const x11test::Recorder& recorder, std::size_t from, int keycode,
                  std::size_t count, std::chrono::milliseconds limit) {
    const auto deadline = x11test::Clock::now() + limit;
    while (CountOf(recorder, from, keycode) < count) {
        if (x11test::Clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

class Benchmark {
public:
    Benchmark(x11test::XSession& session, const std::string& program, const std::string& scratch)
        : session_(session), program_(program), scratch_(scratch), x_(session.Display()),
          recorder_(session.Display()), run_(session, program, scratch + "/program") {}

    bool Run(std::vector<Row>& rows, std::string& problem) {
        if (!x_.Ok() || !recorder_.Ok()) {
            problem = "cannot watch the X server";
            return false;
        }
        run_.WriteSettings("KEY_F12\r\n");
        run_.AddScript("wait10.ini", WaitScript("Wait10", 10, kWaitPairs10));
        run_.AddScript("wait100.ini", WaitScript("Wait100", 100, kWaitPairs100));
        run_.AddScript("latency.ini", kLatencyScript);
        run_.AddScript("busy.ini", kBusyScript);
        if (!run_.Start() || !run_.WaitForMainWindow()) {
            problem = "the program's window did not appear";
            return false;
        }
        if (!FocusDesktop()) {
            problem = "cannot move the focus to the desktop";
            return false;
        }
        a_ = x_.Keycode("a");
        b_ = x_.Keycode("b");
        f12_ = x_.Keycode("F12");
        return MeasureIdle(rows) && MeasureWaits(rows, problem) && MeasureLatency(rows, problem) &&
               MeasureBusy(rows, problem) && MeasureRecording(rows, problem) &&
               MeasureMemory(rows, problem);
    }

private:
    Summary SleeperNow() { return sleeper_.TakeLateness(); }

    bool Xdotool(const std::vector<std::string>& arguments) {
        return session_.Xdotool(arguments, 60s);
    }

    // Moves the pointer to the desktop's corner and gives it the keyboard focus, as when the
    // user works in another program: injected keys then reach no window of the program.
    bool FocusDesktop() {
        if (!Xdotool({"mousemove", "2", "2"})) {
            return false;
        }
        x_.FocusDesktop();
        return true;
    }

    bool PickScript(const std::string& name, std::string& problem) {
        if (!run_.PickScript(name, problem)) {
            return false;
        }
        if (!FocusDesktop()) {
            problem = "cannot move the focus to the desktop";
            return false;
        }
        return true;
    }

    bool MeasureIdle(std::vector<Row>& rows) {
        std::this_thread::sleep_for(1s);
        firstStartMiB_ = x11test::PeakResidentMiB(run_.Pid());
        MeasureCpu(rows, "CPU, armed and idle, % of a core");
        return true;
    }

    void MeasureCpu(std::vector<Row>& rows, const std::string& measure) {
        const auto program = x11test::CpuTime(run_.Pid());
        const auto server = x11test::CpuTime(session_.ServerPid());
        const auto sleeper = sleeper_.CpuTime();
        const auto start = x11test::Clock::now();
        SleeperNow();
        std::this_thread::sleep_for(kCpuSpan);
        const double seconds = Ms(x11test::Clock::now() - start) / 1000.0;
        auto percent = [seconds](std::chrono::nanoseconds used) {
            Summary share;
            share.count = 1;
            share.mean = 100.0 * std::chrono::duration<double>(used).count() / seconds;
            return share;
        };
        const Summary lateness = SleeperNow();
        rows.push_back({measure, "keyweave", percent(x11test::CpuTime(run_.Pid()) - program),
                        lateness, "over " + std::to_string(static_cast<int>(seconds)) + " s"});
        rows.push_back({measure, "Xvfb", percent(x11test::CpuTime(session_.ServerPid()) - server),
                        lateness, "the X server, same span"});
        rows.push_back({measure, "sleeper", percent(sleeper_.CpuTime() - sleeper), lateness,
                        "the bare 2 ms sleep loop, same span: what 500 wake-ups a second cost"});
    }

    bool Start(const std::string& script, std::string& problem) {
        if (!PickScript(script, problem)) {
            return false;
        }
        std::this_thread::sleep_for(300ms);
        return TapStartStop();
    }

    bool TapStartStop() {
        return Xdotool({"keydown", "F12"}) && Pause(60ms) && Xdotool({"keyup", "F12"});
    }

    static bool Pause(std::chrono::milliseconds length) {
        std::this_thread::sleep_for(length);
        return true;
    }

    bool MeasureWaits(std::vector<Row>& rows, std::string& problem) {
        for (auto [ms, pairs] : {std::pair{10, kWaitPairs10}, std::pair{100, kWaitPairs100}}) {
            const std::size_t from = recorder_.Events().size();
            SleeperNow();
            if (!Start("Wait" + std::to_string(ms), problem)) {
                return false;
            }
            if (!WaitForCount(recorder_, from, a_, 2 * pairs, 60s)) {
                problem = "the wait script did not play to its end";
                return false;
            }
            const Summary lateness = SleeperNow();
            rows.push_back(WaitRow(
                "keyweave", ms, Gaps(recorder_.Events(), from, a_, false), ms + 2.0, lateness,
                "gap vs " + std::to_string(ms) + " + 2 (the SLEEP command's turn)"));

            const std::size_t xfrom = recorder_.Events().size();
            std::vector<std::string> stroke{"key", "--delay", std::to_string(ms)};
            for (int i = 0; i < 2 * pairs; ++i) {
                stroke.push_back("a");
            }
            SleeperNow();
            if (!Xdotool(stroke)) {
                problem = "xdotool key failed";
                return false;
            }
            const Summary xlateness = SleeperNow();
            rows.push_back(WaitRow("xdotool", ms, Gaps(recorder_.Events(), xfrom, a_, true), ms,
                                   xlateness, "press to press vs " + std::to_string(ms)));
        }
        return true;
    }

    bool MeasureLatency(std::vector<Row>& rows, std::string& problem) {
        if (!PickScript("Latency", problem)) {
            return false;
        }
        std::vector<double> latencies;
        std::vector<double> turns;
        SleeperNow();
        for (int i = 0; i < kLatencySamples; ++i) {
            const std::size_t from = recorder_.Events().size();
            if (!TapStartStop()) {
                problem = "xdotool failed";
                return false;
            }
            const int release = recorder_.WaitFor(InputEvent::KeyUp, f12_, from, 2s);
            const int first = release < 0
                                  ? -1
                                  : recorder_.WaitFor(InputEvent::KeyDown, b_,
                                                      static_cast<std::size_t>(release), 2s);
            const int up = first < 0 ? -1 : recorder_.WaitFor(InputEvent::KeyUp, b_, first, 2s);
            if (up < 0) {
                problem = "the Start/Stop key did not start the script";
                return false;
            }
            const auto events = recorder_.Events();
            latencies.push_back(Ms(events[first].seen - events[release].seen));
            turns.push_back(Ms(events[up].seen - events[first].seen));
            // Releases land anywhere within the loop's 2 ms turn.
            std::this_thread::sleep_for(std::chrono::microseconds(20000 + 1700 * (i % 7)));
        }
        const Summary lateness = SleeperNow();
        rows.push_back({"start latency", "keyweave", Summarize(latencies), lateness,
                        "F12 release to the first key of the script"});
        rows.push_back({"one main-loop turn", "keyweave", Summarize(turns), lateness,
                        "KeyDown to the KeyUp after it, no wait between"});
        return true;
    }

    bool MeasureBusy(std::vector<Row>& rows, std::string& problem) {
        if (!Start("Busy", problem)) {
            return false;
        }
        std::this_thread::sleep_for(500ms);
        MeasureCpu(rows, "CPU, script running, % of a core");
        return TapStartStop();
    }

    // The user's journey recorded and replayed once; the gaps between consecutive key and
    // button events on the server, the replay's against the recording's.
    bool MeasureRecording(std::vector<Row>& rows, std::string& problem) {
        const x11test::Journey journey = x11test::RecordingJourney({0, 0}, kJourneyRounds);
        x11test::Timelines timelines;
        SleeperNow();
        if (!x11test::RecordAndReplay(
                run_.Pid(), recorder_, x_,
                [this](const std::vector<std::string>& arguments) { return Xdotool(arguments); },
                journey, timelines, problem)) {
            return false;
        }
        const Summary lateness = SleeperNow();
        const x11test::ReplayComparison replay =
            x11test::CompareReplay(timelines, journey.buttonPixels);
        if (!replay.difference.empty()) {
            problem = "the replay is not the recording: " + replay.difference;
            return false;
        }
        const std::string events = std::to_string(timelines.recorded.size()) + " events";
        rows.push_back({"recording, gap >= 5 ms, |error|", "keyweave",
                        Summarize(AbsoluteErrors(replay.gapErrors, 0)), lateness,
                        "vs the recorded gap, " + events + " in order, buttons on their pixels, " +
                            MeanLate(replay.gapErrors, 0)});
        rows.push_back({"recording, gap < 5 ms, replayed", "keyweave", Summarize(replay.shortGaps),
                        lateness, "recorded under 5 ms apart: one 2 ms turn apart"});
        return true;
    }

    // The program measured first was the first client of a fresh X server; another one
    // started on the same server meets what the first left there.
    bool MeasureMemory(std::vector<Row>& rows, std::string& problem) {
        x11test::ProgramRun second(session_, program_, scratch_ + "/second-start");
        second.WriteSettings("KEY_F12\r\n");
        if (!second.Start() || !second.WaitForMainWindow()) {
            problem = "the second program's window did not appear";
            return false;
        }
        std::this_thread::sleep_for(1s);
        const Summary lateness = SleeperNow();
        AddSingleFigures(rows,
                         {{"peak RSS, first start, MiB", firstStartMiB_,
                           "VmHWM once the window is up, the X server's first client"},
                          {"peak RSS, second start, MiB", x11test::PeakResidentMiB(second.Pid()),
                           "VmHWM once the window is up, another start on the same X server"}},
                         lateness);
        return true;
    }

    x11test::XSession& session_;
    std::string program_;
    std::string scratch_;
    x11test::XClient x_;
    x11test::Recorder recorder_;
    Sleeper sleeper_;
    x11test::ProgramRun run_;
    int a_ = 0;
    int b_ = 0;
    int f12_ = 0;
    double firstStartMiB_ = 0;
};

} // namespace
} // namespace keyweave::bench

namespace keyweave::bench {
namespace {

// The program's own code runs in a child process: the platform it starts keeps connections to
// the X server that must not outlive the benchmark's session.
bool MeasureInChild(const std::string& self, const std::string& display, const std::string& scratch,
                    CoreTimings& timings) {
    const std::string output = scratch + "/core-timings.txt";
    x11test::SpawnOptions options;
    options.outputFile = output;
    const int status = x11test::RunToEnd({self, "--core-timings", display, scratch}, options, 120s);
    std::ifstream figures(output);
    return status == 0 &&
           (figures >> timings.loadScriptsMs >> timings.buildViewMs >> timings.saveRecordingMs >>
            timings.recordingCommands >> timings.showRecordingMs >> timings.bigScriptCommands >>
            timings.bytesPerCommand >> timings.loadBigMs);
}

int RunBenchmark(const std::string& self, const std::string& program) {
    const testing::TempFolder scratchFolder("keyweave-bench");
    const std::string scratch = scratchFolder.Path().string();
    std::vector<Row> rows;
    std::string problem;
    std::string display;
    {
        x11test::XSession session;
        if (!session.Start(scratch)) {
            std::fprintf(stderr, "keyweave_bench: %s\n", session.Problem().c_str());
            return 1;
        }
        display = session.Display();
        for (const auto& [name, value] : session.ClientEnvironment()) {
            setenv(name.c_str(), value.c_str(), 1);
        }
        bool done = false;
        {
            Benchmark benchmark(session, program, scratch);
            done = benchmark.Run(rows, problem);
        }
        CoreTimings core;
        Sleeper sleeper;
        if (done && MeasureInChild(self, display, scratch, core)) {
            const Summary lateness = sleeper.TakeLateness();
            const std::string commands =
                std::to_string(static_cast<long>(core.recordingCommands)) + " commands";
            const std::string big =
                std::to_string(static_cast<long>(core.bigScriptCommands)) + " commands";
            AddSingleFigures(
                rows,
                {{"load 1,000 scripts, ms", core.loadScriptsMs,
                  "read, compiled, listed in the combo box"},
                 {"view of 20,000 commands, ms", core.buildViewMs, "filled, coloured, one pump"},
                 {"10-min recording to its file, ms", core.saveRecordingMs,
                  "cursor moving all the time: " + commands + " made and written"},
                 {"10-min recording shown, ms", core.showRecordingMs,
                  "library reloaded, recording chosen, its view built"},
                 {"heap per compiled command, bytes", core.bytesPerCommand,
                  "what the loaded big script keeps: " + big},
                 {"big script read and compiled, ms", core.loadBigMs,
                  std::to_string(kBigScriptLines) + " lines of KeyStroke"}},
                lateness);
        } else if (done) {
            problem = "the load and view timings failed";
        }
        LargeInputTimings large;
        if (done && problem.empty() &&
            MeasureLargeInputs(session, program, scratch, large, problem)) {
            const Summary lateness = sleeper.TakeLateness();
            const std::string many = std::to_string(kManyScripts) + " scripts";
            AddSingleFigures(
                rows,
                {{"start with " + many + ", ms", large.startManyMs,
                  "from the start until the window answers"},
                 {"reload " + many + ", ms", large.reloadManyMs,
                  "Reload Scripts until the window answers again"},
                 {"start with the big script, ms", large.startBigMs,
                  "from the start until the window answers"},
                 {"pick the big script, ms", large.pickBigMs,
                  "combo box opened, item clicked, until it shows as ready"},
                 {"peak RSS with the big script, MiB", large.peakBigMiB, "VmHWM after the pick"},
                 {"start with " + std::to_string(kFullLibraryScripts) + " big scripts, ms",
                  large.startFullMs,
                  "past the library's budget: the first read loads, the others are left out"},
                 {"peak RSS with them, MiB", large.peakFullMiB, "VmHWM once the window answers"}},
                lateness);
        }
        std::vector<double> requested;
        std::vector<double> requesters;
        if (done && problem.empty() &&
            MeasureRequestLatency(session, program, scratch, requested, requesters, problem)) {
            const Summary lateness = sleeper.TakeLateness();
            rows.push_back({"keyweave --toggle latency", "keyweave", Summarize(requested), lateness,
                            "run, process start included, to the script's first key"});
            rows.push_back({"keyweave --toggle process", "keyweave", Summarize(requesters),
                            lateness, "run until the requesting process has ended"});
        }
        x11test::Accessibility::Disconnect();
        session.Stop();
    }
    return Report("keyweave_bench",
                  "Keyweave benchmark: build/linux/keyweave and xdotool on Xvfb " + display +
                      "; times in ms.\nErrors and latencies are timed by a recorder of the X "
                      "server's raw events. The\nlast column is how late a bare 2 ms sleeper woke "
                      "during the same measurement.",
                  rows, problem);
}

// Prints the timings and ends without tearing down the platform.
[[noreturn]] void RunCoreTimings(const std::string& display, const std::string& scratch) {
    const CoreTimings timings = MeasureCoreTimings(display, scratch);
    std::printf("%.3f %.3f %.3f %.0f %.3f %.0f %.3f %.3f\n", timings.loadScriptsMs,
                timings.buildViewMs, timings.saveRecordingMs, timings.recordingCommands,
                timings.showRecordingMs, timings.bigScriptCommands, timings.bytesPerCommand,
                timings.loadBigMs);
    std::fflush(stdout);
    std::_Exit(0);
}

} // namespace
} // namespace keyweave::bench

// keyweave_bench [program]: the benchmark, on build/linux/keyweave unless a program is given.
int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.size() == 3 && arguments[0] == "--core-timings") {
        keyweave::bench::RunCoreTimings(arguments[1], arguments[2]);
    }
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    return keyweave::bench::RunBenchmark(self, arguments.empty() ? KEYWEAVE_PROGRAM : arguments[0]);
}
