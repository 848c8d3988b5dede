#include "request_latency.h"

#include "support/program_run.h"
#include "support/recorder.h"
#include "support/x_client.h"

#include <thread>

namespace keyweave::bench {

using namespace std::chrono_literals;
using x11test::InputEvent;

namespace {

// One pass that presses and releases B, then stops itself: each request starts it anew.
const std::string kRequestedScript =
    "?kweaver\r\n{Requested\r\nKeyDown(KEY_B)\r\nKeyUp(KEY_B)\r\nStop()\r\n";

double MsBetween(x11test::Clock::time_point from, x11test::Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

} // namespace

bool MeasureRequestLatency(x11test::XSession& session, const std::string& program,
                           const std::string& scratch, std::vector<double>& latencies,
                           std::vector<double>& durations, std::string& problem) {
    x11test::XClient x(session.Display());
    x11test::Recorder recorder(session.Display());
    x11test::ProgramRun run(session, program, scratch + "/requests");
    run.WriteSettings("KEY_F12\r\n");
    run.AddScript("requested.ini", kRequestedScript);
    if (!x.Ok() || !recorder.Ok() || !run.Start() || !run.WaitForMainWindow()) {
        problem = "the program for the requests did not start";
        return false;
    }
    x.FocusDesktop();
    const int b = x.Keycode("b");
    for (int i = 0; i < kRequestSamples; ++i) {
        const std::size_t from = recorder.Events().size();
        const auto start = x11test::Clock::now();
        const x11test::ProgramRun::Answer answer = run.Run({"--toggle", "Requested"});
        const auto ended = x11test::Clock::now();
        const int first = recorder.WaitFor(InputEvent::KeyDown, b, from, 2s);
        if (answer.status != 0 || first < 0 ||
            recorder.WaitFor(InputEvent::KeyUp, b, from, 2s) < 0) {
            problem = "keyweave --toggle did not start the script: " + answer.output;
            return false;
        }
        latencies.push_back(MsBetween(start, recorder.Events()[first].seen));
        durations.push_back(MsBetween(start, ended));
        std::this_thread::sleep_for(std::chrono::microseconds(30000 + 1700 * (i % 7)));
    }
    return true;
}

} // namespace keyweave::bench
