// Measures the real Linux build on a headless sway, beside wtype in the same session, and prints
// one table. A native Wayland window logs every key it receives on the monotonic clock, which
// times every figure. Figures are printed, never judged: the machine is shared and noisy.

#include "sleeper.h"
#include "support/accessibility.h"
#include "support/program_run.h"
#include "support/shortcuts_portal.h"
#include "support/temp_folder.h"
#include "table.h"
#include "waits.h"
#include "wayland/session_steps.h"
#include "wayland/target_window.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace keyweave::bench {
namespace {

using namespace std::chrono_literals;
using wayland_test::Logged;
using wayland_test::TargetWindow;
using x11test::WaylandSession;

constexpr int kWaitPairs10 = 100;
constexpr int kWaitPairs100 = 40;
constexpr int kLatencySamples = 40;

const std::string kLatencyScript = "?kweaver\r\n{Latency\r\nKeyDown(KEY_B)\r\nKeyUp(KEY_B)\r\n"
                                   "Stop()\r\n";

bool IsKey(const Logged& line, const std::string& keysym, const std::string& action) {
    return line.kind == "key" && line.what == keysym && line.action == action;
}

// The gaps from each `start` of `keysym` to its next `end` ("press" or "release"), from the
// `from`th line of the log on: a key's press to its release, or one press to the next.
std::vector<double> Gaps(const std::vector<Logged>& log, std::size_t from,
                         const std::string& keysym, const std::string& start,
                         const std::string& end) {
    std::vector<double> gaps;
    std::optional<double> started;
    for (std::size_t i = from; i < log.size(); ++i) {
        if (started && IsKey(log[i], keysym, end)) {
            gaps.push_back(log[i].timeMs - *started);
            started.reset();
        }
        if (IsKey(log[i], keysym, start)) {
            started = log[i].timeMs;
        }
    }
    return gaps;
}

std::vector<double> HeldGaps(const std::vector<Logged>& log, std::size_t from) {
    return Gaps(log, from, "a", "press", "release");
}

// The monotonic clock in milliseconds, as the target window logs it: steady_clock reads
// CLOCK_MONOTONIC on Linux.
double MonotonicMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

class Benchmark {
public:
    Benchmark(WaylandSession& session, const std::string& program, const std::string& scratch)
        : session_(session), scratch_(scratch), target_(session, scratch + "/target"),
          run_(session, program, scratch + "/program") {}

    bool Run(std::vector<Row>& rows, std::string& problem) {
        run_.WriteSettings("KEY_F12\r\n");
        run_.AddScript("wait10.ini", WaitScript("Wait10", 10, kWaitPairs10));
        run_.AddScript("wait100.ini", WaitScript("Wait100", 100, kWaitPairs100));
        run_.AddScript("latency.ini", kLatencyScript);
        // The program binds its Start/Stop shortcut through the portal when it starts.
        if (!portal_.Start(scratch_, session_.ClientEnvironment(), KEYWEAVE_SHORTCUTS_BACKEND)) {
            problem = portal_.Problem();
            return false;
        }
        if (!target_.Start()) {
            problem = "the target window did not come";
            return false;
        }
        if (!wayland_test::StartOnSession(session_, run_)) {
            problem = "the program's window did not appear: " + run_.Output();
            return false;
        }
        if (!x11test::WaitUntil(
                [this] { return portal_.Calls().find("BindShortcuts") != std::string::npos; },
                10s)) {
            problem = "the program bound no shortcut through the portal: " + run_.Output();
            return false;
        }
        return FocusTarget(problem) && MeasureWaits(rows, problem) &&
               MeasureShortcutLatency(rows, problem) && MeasureToggleLatency(rows, problem);
    }

private:
    bool FocusTarget(std::string& problem) {
        if (!wayland_test::FocusWindowOf(session_, target_.Pid())) {
            problem = "cannot give the target window the focus";
            return false;
        }
        return true;
    }

    bool MeasureWaits(std::vector<Row>& rows, std::string& problem) {
        for (auto [ms, pairs] : {std::pair{10, kWaitPairs10}, std::pair{100, kWaitPairs100}}) {
            const std::size_t from = target_.Log().size();
            sleeper_.TakeLateness();
            if (run_.Run({"--start", "Wait" + std::to_string(ms)}).status != 0 ||
                !WaitForHeldGaps(from, pairs)) {
                problem = "the wait script did not play to its end\n" + target_.Describe();
                return false;
            }
            rows.push_back(WaitRow(
                "keyweave", ms, HeldGaps(target_.Log(), from), ms + 2.0, sleeper_.TakeLateness(),
                "press to release vs " + std::to_string(ms) + " + 2 (the SLEEP command's turn)"));

            std::this_thread::sleep_for(300ms);
            const std::size_t typed = target_.Log().size();
            sleeper_.TakeLateness();
            if (!session_.Wtype({"-d", std::to_string(ms), std::string(pairs + 1, 'a')}, 60s)) {
                problem = "wtype failed";
                return false;
            }
            rows.push_back(WaitRow("wtype", ms, Gaps(target_.Log(), typed, "a", "press", "press"),
                                   ms, sleeper_.TakeLateness(),
                                   "press to press vs " + std::to_string(ms) + " (wtype -d " +
                                       std::to_string(ms) + ")"));
        }
        return true;
    }

    // Waits until the target saw A pressed and released `count` times from the `from`th line
    // of its log on.
    bool WaitForHeldGaps(std::size_t from, std::size_t count) const {
        return x11test::WaitUntil([&] { return HeldGaps(target_.Log(), from).size() >= count; },
                                  60s);
    }

    bool MeasureShortcutLatency(std::vector<Row>& rows, std::string& problem) {
        // The desktop's shortcut starts the chosen script.
        if (!run_.PickScriptAccessibly("Latency", problem) || !FocusTarget(problem)) {
            return false;
        }
        const std::string session = portal_.LastSession();
        std::vector<double> latencies;
        sleeper_.TakeLateness();
        if (!TimeStarts([&](std::size_t) { return ShortcutReleased(session); }, latencies,
                        problem)) {
            return false;
        }
        rows.push_back({"start latency", "keyweave", Summarize(latencies), sleeper_.TakeLateness(),
                        "the portal backend's Deactivated signal (its EmitSignal call returned) "
                        "to the script's first key"});
        return true;
    }

    bool MeasureToggleLatency(std::vector<Row>& rows, std::string& problem) {
        if (!session_.Swaymsg({"--", "bindsym", "--release", "F9", "exec",
                               run_.Folder() + "/keyweave --toggle Latency"})) {
            problem = "cannot bind F9 in sway";
            return false;
        }
        std::vector<double> latencies;
        sleeper_.TakeLateness();
        if (!TimeStarts([this](std::size_t from) { return BindingReleased(from); }, latencies,
                        problem)) {
            return false;
        }
        rows.push_back({"keyweave --toggle latency", "keyweave", Summarize(latencies),
                        sleeper_.TakeLateness(),
                        "F9 bound in sway to exec keyweave --toggle: F9's release to the "
                        "script's first key, both in the target's log"});
        return true;
    }

    // The user presses and releases F9, which sway binds to `keyweave --toggle Latency` on its
    // release and still passes to the target: when the target saw it go up.
    std::optional<double> BindingReleased(std::size_t from) {
        if (!session_.Wtype({"-P", "F9", "-s", "60", "-p", "F9"})) {
            return std::nullopt;
        }
        const int released = target_.WaitFor(
            [](const Logged& line) { return IsKey(line, "F9", "release"); }, from, 2s);
        if (released < 0) {
            return std::nullopt;
        }
        return target_.Log()[released].timeMs;
    }

    // The desktop presses and releases the Start/Stop shortcut through the portal; the
    // monotonic time at which the release had been signalled.
    std::optional<double> ShortcutReleased(const std::string& session) {
        if (!portal_.Signal(session, "start-stop", true)) {
            return std::nullopt;
        }
        std::this_thread::sleep_for(20ms);
        if (!portal_.Signal(session, "start-stop", false)) {
            return std::nullopt;
        }
        return MonotonicMs();
    }

    // Starts the Latency script kLatencySamples times, each time by `request`, and times each
    // start from the monotonic time that `request` gives (nothing when it failed) to the
    // script's first key in the target. `request` gets the length of the target's log before
    // it.
    bool TimeStarts(const std::function<std::optional<double>(std::size_t)>& request,
                    std::vector<double>& latencies, std::string& problem) {
        for (int i = 0; i < kLatencySamples; ++i) {
            const std::size_t from = target_.Log().size();
            const std::optional<double> requested = request(from);
            auto key = [](const char* action) {
                return [action](const Logged& line) { return IsKey(line, "b", action); };
            };
            const int first = target_.WaitFor(key("press"), from, 2s);
            if (!requested || first < 0 || target_.WaitFor(key("release"), from, 2s) < 0) {
                problem = "the request did not start the script\n" + target_.Describe();
                return false;
            }
            latencies.push_back(target_.Log()[first].timeMs - *requested);
            // Varied pauses, so that the requests fall anywhere within a periodic wake-up.
            std::this_thread::sleep_for(std::chrono::microseconds(30000 + 1700 * (i % 7)));
        }
        return true;
    }

    WaylandSession& session_;
    std::string scratch_;
    x11test::ShortcutsPortal portal_;
    TargetWindow target_;
    x11test::ProgramRun run_;
    Sleeper sleeper_;
};

int RunBenchmark(const std::string& program) {
    const testing::TempFolder scratchFolder("keyweave-wayland-bench");
    WaylandSession session;
    if (!session.Start(scratchFolder.Path().string())) {
        std::printf("\nKeyweave on Wayland: not measured: %s\n", session.Problem().c_str());
        return 0;
    }
    wayland_test::UseAccessibilityBusOf(session);
    std::vector<Row> rows;
    std::string problem;
    {
        Benchmark benchmark(session, program, scratchFolder.Path().string());
        benchmark.Run(rows, problem);
    }
    const std::string display = session.ClientEnvironment().at("WAYLAND_DISPLAY");
    x11test::Accessibility::Disconnect();
    session.Stop();
    return Report("wayland_bench",
                  "Keyweave on Wayland: build/linux/keyweave and wtype on a headless sway (" +
                      display +
                      "); times in ms.\nErrors and latencies are timed by the log of a native GTK "
                      "window that has the focus. The\nlast column is how late a bare 2 ms sleeper "
                      "woke during the same measurement.",
                  rows, problem);
}

} // namespace
} // namespace keyweave::bench

// wayland_bench [program]: the benchmark, on build/linux/keyweave unless a program is given.
int main(int argc, char** argv) {
    return keyweave::bench::RunBenchmark(argc > 1 ? argv[1] : KEYWEAVE_PROGRAM);
}
