#pragma once

#include "recorder.h"
#include "replay_gaps.h"
#include "x_client.h"

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace keyweave::x11test {

// A task for the script recorder as the user does it with xdotool, on the desktop in the top
// left part of the primary monitor, clear of the program's window: keys typed with Shift and
// alone, a click, a drag and a right click, with waits of 3 to 150 ms and pairs of events
// closer than kKeptGapMs; `rounds` times over.
struct Journey {
    std::vector<std::string> xdotool; // the arguments of one xdotool run
    std::vector<Point> buttonPixels;  // the screen pixel of each button event, in order
};
Journey RecordingJourney(Point primaryOrigin, int rounds);

// The key and button events of the journey as the user made them (from the release of the
// Start/Stop keys that started the recording to their press that ended it) and of the first
// pass of its replay, as the server handled them.
struct Timelines {
    std::vector<InputEvent> recorded;
    std::vector<InputEvent> replayed;
};

// Records the journey with the program `pid`, bound to F12 alone and with nothing recorded
// yet, as the user does: "Record Script", F12, the journey, F12; then replays the new script
// "Recording 1" with F12 once through and stops it with F12. False with `problem` set when a
// step fails.
using XdotoolRun = std::function<bool(const std::vector<std::string>&)>;
bool RecordAndReplay(pid_t pid, const Recorder& recorder, XClient& x, const XdotoolRun& xdotool,
                     const Journey& journey, Timelines& timelines, std::string& problem);

// How the replay kept the recording: `difference` tells the first event whose kind, key or
// button differs, a button off its pixel or a count of buttons other than the journey's (empty
// when none); then the server's gaps between consecutive events, split at kKeptGapMs.
struct ReplayComparison {
    std::string difference;
    std::vector<double> gapErrors; // replayed - recorded, for each recorded gap that is kept
    std::vector<double> shortGaps; // the replayed gaps where the recorded gap is shorter
};
ReplayComparison CompareReplay(const Timelines& timelines, const std::vector<Point>& buttonPixels);

} // namespace keyweave::x11test
