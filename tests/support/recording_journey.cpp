#include "recording_journey.h"

#include "accessibility.h"

#include <thread>

namespace keyweave::x11test {
namespace {

using namespace std::chrono_literals;

// One round of the journey in xdotool's words, where "@x,y" moves the pointer onto that point
// of the primary monitor (a warp, as xdotool's mousemove is).
// clang-format off
const char* const kRound[] = {
    "@40,30", "sleep", "0.03", "keydown", "Shift_L", "sleep", "0.04", "key", "a",
    "sleep", "0.025", "keyup", "Shift_L", "sleep", "0.06", "keydown", "k", "keydown", "e",
    "sleep", "0.05", "keyup", "k", "sleep", "0.007", "keyup", "e",
    "sleep", "0.1", "@100,60", "sleep", "0.02", "click", "1",
    "sleep", "0.08", "@150,80", "mousedown", "1", "sleep", "0.012", "@160,84",
    "sleep", "0.012", "@175,90", "sleep", "0.012", "@190,96", "sleep", "0.03", "mouseup", "1",
    "sleep", "0.07", "@300,120", "click", "3",
    "sleep", "0.15", "key", "Tab", "sleep", "0.05", "key", "space", "sleep", "0.04",
};
// clang-format on

bool TapF12(const XdotoolRun& xdotool) {
    if (!xdotool({"keydown", "F12"})) {
        return false;
    }
    std::this_thread::sleep_for(60ms);
    return xdotool({"keyup", "F12"});
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
    Point cursor;
    for (int round = 0; round < rounds; ++round) {
        for (const std::string word : kRound) {
            if (word[0] == '@') {
                const std::size_t comma = word.find(',');
                cursor = {primaryOrigin.x + std::stoi(word.substr(1, comma - 1)),
                          primaryOrigin.y + std::stoi(word.substr(comma + 1))};
                journey.xdotool.insert(
                    journey.xdotool.end(),
                    {"mousemove", std::to_string(cursor.x), std::to_string(cursor.y)});
                continue;
            }
            journey.xdotool.push_back(word);
            if (word == "click" || word == "mousedown" || word == "mouseup") {
                journey.buttonPixels.insert(journey.buttonPixels.end(), word == "click" ? 2 : 1,
                                            cursor);
            }
        }
    }
    return journey;
}

bool RecordAndReplay(pid_t pid, const Recorder& recorder, XClient& x, const XdotoolRun& xdotool,
                     const Journey& journey, Timelines& timelines, std::string& problem) {
    const int f12 = x.Keycode("F12");
    const std::size_t armed = recorder.Events().size();
    const bool recorded =
        Accessibility::WaitFor(pid, "push button", "Record Script", 10s) &&
        Accessibility::Press(pid, "push button", "Record Script") &&
        StatusSays(pid, "Press the Start/Stop keys to start recording.", problem) &&
        TapF12(xdotool) &&
        StatusSays(pid, "Recording. Press the Start/Stop keys to stop.", problem) &&
        xdotool(journey.xdotool) && TapF12(xdotool) &&
        StatusSays(pid, "Recording 1 ready.", problem);
    const int start = recorded ? recorder.WaitFor(InputEvent::KeyUp, f12, armed, 5s) : -1;
    const int end = start < 0 ? -1 : recorder.WaitFor(InputEvent::KeyDown, f12, start, 5s);
    const std::size_t replay = recorder.Events().size();
    const int played =
        end < 0 || !TapF12(xdotool) ? -1 : recorder.WaitFor(InputEvent::KeyUp, f12, replay, 5s);
    if (played < 0) {
        problem = problem.empty() ? "\"Record Script\", xdotool or F12 failed" : problem;
        return false;
    }
    timelines.recorded = Changes(recorder.Events(), start + 1, end);
    const auto deadline = Clock::now() + 30s;
    while (Changes(recorder.Events(), played + 1).size() < timelines.recorded.size() &&
           Clock::now() < deadline) {
        std::this_thread::sleep_for(20ms);
    }
    timelines.replayed = Changes(recorder.Events(), played + 1);
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
    const auto gap = [](const std::vector<InputEvent>& events, std::size_t to) {
        return static_cast<double>(events[to].serverMs) -
               static_cast<double>(events[to - 1].serverMs);
    };
    std::size_t button = 0;
    for (std::size_t i = 0; i < recorded.size() && comparison.difference.empty(); ++i) {
        const InputEvent& event = replayed[i];
        const bool isButton =
            event.kind == InputEvent::ButtonDown || event.kind == InputEvent::ButtonUp;
        if (event.kind != recorded[i].kind || event.detail != recorded[i].detail) {
            comparison.difference = "event " + std::to_string(i) + " is not the recorded one";
        } else if (isButton) {
            if (button >= buttonPixels.size() ||
                !(Point{event.x, event.y} == buttonPixels[button])) {
                comparison.difference = "button event " + std::to_string(button) + " at " +
                                        std::to_string(event.x) + "," + std::to_string(event.y) +
                                        " is off its recorded pixel";
            }
            ++button;
        }
        if (i > 0 && gap(recorded, i) >= testing::kKeptGapMs) {
            comparison.gapErrors.push_back(gap(replayed, i) - gap(recorded, i));
        } else if (i > 0) {
            comparison.shortGaps.push_back(gap(replayed, i));
        }
    }
    if (comparison.difference.empty() && button != buttonPixels.size()) {
        comparison.difference =
            std::to_string(button) + " button events, not " + std::to_string(buttonPixels.size());
    }
    return comparison;
}

} // namespace keyweave::x11test
