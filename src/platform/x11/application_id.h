#pragma once

#include <filesystem>
#include <string>

namespace keyweave::x11 {

// The application id of the Keyweave of the user's settings home, where an installed program
// keeps its settings and scripts.
inline constexpr const char* kApplicationId = "org.keyweave.Keyweave";

// The application id of the Keyweave of a folder of settings and scripts: kApplicationId for
// the settings home, and for any other folder that id followed by ".F" and 16 hexadecimal
// digits of a hash of the folder's absolute path, so that the programs of two folders never
// answer each other's requests.
std::string ApplicationIdFor(const std::filesystem::path& folder,
                             const std::filesystem::path& settingsHome);

// The id of the Keyweave of the current folder.
std::string CurrentApplicationId();

} // namespace keyweave::x11
