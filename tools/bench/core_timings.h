#pragma once

#include <string>

namespace keyweave::bench {

struct CoreTimings {
    double loadScriptsMs = 0;   // 1,000 script files read and listed in the combo box
    double buildViewMs = 0;     // the script view of 20,000 commands filled, coloured and drawn
    double saveRecordingMs = 0; // ten minutes of a moving cursor turned into commands and written
    double recordingCommands = 0;
    double showRecordingMs = 0;   // the library reloaded and the recording chosen and shown
    double bigScriptCommands = 0; // the big script of large_inputs.h, compiled
    double bytesPerCommand = 0;   // the heap that its compiled commands keep, per command
    double loadBigMs = 0;         // the big script read and compiled
};

inline constexpr int kLoadedScripts = 1000;
inline constexpr int kViewCommands = 20000;
inline constexpr int kRecordingMinutes = 10;

// Runs the program's own code for each on the real Linux platform, in this process, on the X
// display `display`, with `scratchFolder` as the program's folder.
CoreTimings MeasureCoreTimings(const std::string& display, const std::string& scratchFolder);

} // namespace keyweave::bench
