#include "recording_journey.h"

#include "accessibility.h"

#include <cstdio>
#include <thread>

namespace keyweave::x11test {
namespace {

using namespace std::chrono_literals;

class JourneyWriter {
public:
    JourneyWriter(Point origin, Journey& journey) : origin_(origin), journey_(journey) {}

    void Do(std::initializer_list<const char*> words) {
        journey_.xdotool.insert(journey_.xdotool.end(), words.begin(), words.end());
    }
    void Wait(int ms) {
        char seconds[16];
        std::snprintf(seconds, sizeof seconds, "%.3f", ms / 1000.0);
        Do({"sleep", seconds});
    }
    void Move(int x, int y) {
        cursor_ = {origin_.x + x, origin_.y + y};
        journey_.xdotool.insert(journey_.xdotool.end(), {"mousemove", std::to_string(cursor_.x),
                                                         std::to_string(cursor_.y)});
    }
    // A press or a release of a button, or both ("click").
    void Button(const char* action, const char* button) {
        Do({action, button});
        const int events = std::string(action) == "click" ? 2 : 1;
        journey_.buttonPixels.insert(journey_.buttonPixels.end(), events, cursor_);
    }

private:
    Point origin_;
    Journey& journey_;
    Point cursor_;
};

bool TapF12(const XdotoolRun& xdotool) {
    if (!xdotool({"keydown", "F12"})) {
        return false;
    }
    std::this_thread::sleep_for(60ms);
    return xdotool({"keyup", "F12"});
}

// The index of the first event at or after `from` that matches, waiting a few seconds at
// most; the end of the events, with `problem` set, when none comes.
std::size_t Find(const Recorder& recorder, InputEvent::Kind kind, int detail, std::size_t from,
                 std::string& problem, const std::string& what) {
    const int found = recorder.WaitFor(kind, detail, from, 5s);
    if (found < 0) {
        problem = what + " did not reach the X server";
    }
    return found < 0 ? recorder.Events().size() : static_cast<std::size_t>(found);
}

bool StatusSays(pid_t pid, const std::string& text, std::string& problem) {
    if (!Accessibility::WaitFor(pid, "statusbar", text, 10s)) {
        problem = "the status bar did not say \"" + text +
                  "\": " + Accessibility::Describe(Accessibility::Elements(pid));
        return false;
    }
    return true;
}

} // namespace

Journey RecordingJourney(Point primaryOrigin, int rounds) {
    Journey journey;
    JourneyWriter user(primaryOrigin, journey);
    for (int round = 0; round < rounds; ++round) {
        user.Move(40, 30);
        user.Wait(30);
        user.Do({"keydown", "Shift_L"});
        user.Wait(40);
        user.Do({"key", "a"});
        user.Wait(25);
        user.Do({"keyup", "Shift_L"});
        user.Wait(60);
        user.Do({"keydown", "k", "keydown", "e"});
        user.Wait(50);
        user.Do({"keyup", "k"});
        user.Wait(7);
        user.Do({"keyup", "e"});
        user.Wait(100);
        user.Move(100, 60);
        user.Wait(20);
        user.Button("click", "1");
        user.Wait(80);
        user.Move(150, 80);
        user.Button("mousedown", "1");
        for (const Point step : {Point{160, 84}, Point{175, 90}, Point{190, 96}}) {
            user.Wait(12);
            user.Move(step.x, step.y);
        }
        user.Wait(30);
        user.Button("mouseup", "1");
        user.Wait(70);
        user.Move(300, 120);
        user.Button("click", "3");
        user.Wait(150);
        user.Do({"key", "Tab"});
        user.Wait(50);
        user.Do({"key", "space"});
        user.Wait(40);
    }
    return journey;
}

bool RecordAndReplay(pid_t pid, const Recorder& recorder, XClient& x, const XdotoolRun& xdotool,
                     const Journey& journey, Timelines& timelines, std::string& problem) {
    const int f12 = x.Keycode("F12");
    if (!Accessibility::Press(pid, "push button", "Record Script") ||
        !StatusSays(pid, "Press the Start/Stop keys to start recording.", problem)) {
        problem = problem.empty() ? "cannot press \"Record Script\"" : problem;
        return false;
    }
    const std::size_t armed = recorder.Events().size();
    if (!TapF12(xdotool) ||
        !StatusSays(pid, "Recording. Press the Start/Stop keys to stop.", problem) ||
        !xdotool(journey.xdotool) || !TapF12(xdotool) ||
        !StatusSays(pid, "Recording 1 ready.", problem)) {
        problem = problem.empty() ? "xdotool failed" : problem;
        return false;
    }
    const std::size_t start = Find(recorder, InputEvent::KeyUp, f12, armed, problem, "F12");
    const std::size_t end = Find(recorder, InputEvent::KeyDown, f12, start, problem, "F12");
    timelines.recorded = Changes(recorder.Events(), start + 1, end);
    if (!problem.empty()) {
        return false;
    }

    const std::size_t replay = recorder.Events().size();
    if (!TapF12(xdotool)) {
        problem = "xdotool failed";
        return false;
    }
    const std::size_t played = Find(recorder, InputEvent::KeyUp, f12, replay, problem, "F12") + 1;
    if (!problem.empty()) {
        return false;
    }
    const auto deadline = Clock::now() + 30s;
    while (Changes(recorder.Events(), played).size() < timelines.recorded.size() &&
           Clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    timelines.replayed = Changes(recorder.Events(), played);
    timelines.replayed.resize(std::min(timelines.replayed.size(), timelines.recorded.size()));
    return TapF12(xdotool) && StatusSays(pid, "Recording 1 stopped.", problem);
}

ReplayComparison CompareReplay(const Timelines& timelines, const std::vector<Point>& buttonPixels) {
    ReplayComparison comparison;
    const auto& recorded = timelines.recorded;
    const auto& replayed = timelines.replayed;
    if (recorded.size() != replayed.size()) {
        comparison.difference = "the recording has " + std::to_string(recorded.size()) +
                                " events, the replay " + std::to_string(replayed.size());
        return comparison;
    }
    std::size_t button = 0;
    for (std::size_t i = 0; i < recorded.size() && comparison.difference.empty(); ++i) {
        const InputEvent& event = replayed[i];
        const std::string which = "event " + std::to_string(i) + ": ";
        if (event.kind != recorded[i].kind || event.detail != recorded[i].detail) {
            comparison.difference = which + "kind " + std::to_string(event.kind) + " of " +
                                    std::to_string(event.detail) + ", recorded kind " +
                                    std::to_string(recorded[i].kind) + " of " +
                                    std::to_string(recorded[i].detail);
        } else if (event.kind == InputEvent::ButtonDown || event.kind == InputEvent::ButtonUp) {
            const Point at{event.x, event.y};
            if (button >= buttonPixels.size() || !(at == buttonPixels[button])) {
                comparison.difference = which + "a button at " + std::to_string(at.x) + "," +
                                        std::to_string(at.y) + ", off its recorded pixel";
            }
            ++button;
        }
        if (i > 0) {
            const auto gap = [](const std::vector<InputEvent>& events, std::size_t to) {
                return static_cast<double>(events[to].serverMs) -
                       static_cast<double>(events[to - 1].serverMs);
            };
            const double wanted = gap(recorded, i);
            const double got = gap(replayed, i);
            if (wanted >= 5) {
                comparison.gapErrors.push_back(got - wanted);
            } else {
                comparison.shortGaps.push_back(got);
            }
        }
    }
    return comparison;
}

} // namespace keyweave::x11test
