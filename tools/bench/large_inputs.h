#pragma once

#include "support/x_session.h"

#include <string>

namespace keyweave::bench {

// The real program facing a big folder and a big script, timed as the user meets them.
struct LargeInputTimings {
    double startManyMs = 0;  // started with kManyScripts scripts, until the window answers
    double reloadManyMs = 0; // "Reload Scripts" with them, until the window answers again
    double startBigMs = 0;   // started with the big script, until the window answers
    double pickBigMs = 0;    // the big script picked in the combo box, until it shows as ready
    double peakBigMiB = 0;   // peak resident set of that run, after the pick
    double startFullMs = 0;  // started with kFullLibraryScripts big scripts, until it answers
    double peakFullMiB = 0;  // peak resident set of that run
};

inline constexpr int kManyScripts = 5000;
inline constexpr int kBigScriptLines = 1000000;
// More big scripts than the library's budget takes: the worst start a folder can cause.
inline constexpr int kFullLibraryScripts = 3;

// Writes the big script: kBigScriptLines key strokes, three commands each.
void WriteBigScript(const std::string& path);

// False with `problem` set when a step did not happen.
bool MeasureLargeInputs(x11test::XSession& session, const std::string& program,
                        const std::string& scratch, LargeInputTimings& timings,
                        std::string& problem);

} // namespace keyweave::bench
