#pragma once

#include <string>
#include <vector>

namespace keyweave::testing {

// One way a user's run can go, as a file of tests/journeys describes it for both real builds
// (the format is in tests/journeys/README.md).
struct Journey {
    struct Step {
        std::string verb;
        std::string argument; // the rest of the line, maybe empty
    };

    std::string fileName; // without its extension
    std::string way;
    std::string x11Test;
    std::string wineCase;
    std::string only; // "linux", "windows", or empty for both
    std::string settings;
    std::vector<std::string> holds;
    std::vector<std::string> script;
    std::vector<Step> steps;

    // The name on the script's name line ("{Name").
    std::string ScriptName() const;
    // The script file's text, with CR LF line ends.
    std::string ScriptText() const;
    bool RunsOn(const std::string& build) const { return only.empty() || only == build; }
};

// The journeys in a folder's .journey files, by file name; throws std::runtime_error naming
// the file and line of the first malformed line.
std::vector<Journey> ReadJourneys(const std::string& folder);

// The keysym name of a key of the key table ("KEY_LSHIFT" is "Shift_L", "KEY_D" is "d"), as
// X11 and Wayland tools name it.
std::string Keysym(const std::string& keyName);

// The words of a text, split at spaces.
std::vector<std::string> Words(const std::string& text);

} // namespace keyweave::testing
