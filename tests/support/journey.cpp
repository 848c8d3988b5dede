#include "journey.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>

namespace keyweave::testing {
namespace {

namespace fs = std::filesystem;

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return "";
    }
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// Reads one file: indented lines belong to the last `script` or `steps` line above them.
Journey ReadJourney(const fs::path& path) {
    Journey journey;
    journey.fileName = path.stem().string();
    journey.x11Test = "Journey." + journey.fileName;
    journey.wineCase = journey.fileName;
    std::ifstream file(path);
    std::string block;
    int number = 0;
    for (std::string line; std::getline(file, line);) {
        ++number;
        const std::string text = Trimmed(line);
        if (text.empty() || line[0] == '#') {
            continue;
        }
        const auto space = text.find(' ');
        const std::string keyword = text.substr(0, space);
        const std::string value = space == std::string::npos ? "" : text.substr(space + 1);
        if (line[0] == ' ' && block == "script") {
            journey.script.push_back(text);
        } else if (line[0] == ' ' && block == "steps") {
            journey.steps.push_back({keyword, value});
        } else if (line[0] == ' ') {
            throw std::runtime_error(path.string() + ":" + std::to_string(number) +
                                     ": an indented line outside script and steps");
        } else if (keyword == "script" || keyword == "steps") {
            block = keyword;
        } else if (keyword == "way") {
            journey.way = value;
        } else if (keyword == "x11") {
            journey.x11Test = value;
        } else if (keyword == "wine") {
            journey.wineCase = value;
        } else if (keyword == "only" && (value == "linux" || value == "windows")) {
            journey.only = value;
        } else if (keyword == "settings") {
            journey.settings = value;
        } else if (keyword == "holds") {
            journey.holds = Words(value);
        } else {
            throw std::runtime_error(path.string() + ":" + std::to_string(number) +
                                     ": not a journey line: " + text);
        }
    }
    return journey;
}

} // namespace

std::string Journey::ScriptName() const {
    for (const std::string& line : script) {
        if (line.rfind('{', 0) == 0) {
            return line.substr(1);
        }
    }
    return "";
}

std::string Journey::ScriptText() const {
    std::string text;
    for (const std::string& line : script) {
        text += line + "\r\n";
    }
    return text;
}

std::vector<Journey> ReadJourneys(const std::string& folder) {
    std::vector<fs::path> paths;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".journey") {
            paths.push_back(entry.path());
        }
    }
    std::sort(paths.begin(), paths.end());
    std::vector<Journey> journeys;
    for (const fs::path& path : paths) {
        journeys.push_back(ReadJourney(path));
    }
    return journeys;
}

std::string Keysym(const std::string& name) {
    static const std::map<std::string, std::string> kSpecial = {
        {"KEY_LSHIFT", "Shift_L"},  {"KEY_RSHIFT", "Shift_R"}, {"KEY_LCTRL", "Control_L"},
        {"KEY_RCTRL", "Control_R"}, {"KEY_SPACE", "space"},    {"KEY_ENTER", "Return"}};
    const auto special = kSpecial.find(name);
    if (special != kSpecial.end()) {
        return special->second;
    }
    const std::string key = name.substr(4);
    return key.size() == 1 ? std::string(1, static_cast<char>(std::tolower(key[0]))) : key;
}

std::vector<std::string> Words(const std::string& text) {
    std::istringstream stream(text);
    std::vector<std::string> words;
    for (std::string word; stream >> word;) {
        words.push_back(word);
    }
    return words;
}

} // namespace keyweave::testing
