#pragma once

#include <filesystem>

namespace keyweave::x11 {

// What decides where settings.ini and Scripts/ live.
struct FolderFacts {
    std::filesystem::path programDir; // the folder that holds the program file
    bool programDirWritable = false;
    bool installed = false;              // the program sits in an installed prefix (bin/ + share/)
    std::filesystem::path xdgConfigHome; // empty when unset
    std::filesystem::path home;
};

struct FolderChoice {
    std::filesystem::path folder;
    // The example scripts that seed folder/Scripts on first start; empty for none.
    std::filesystem::path seedScripts;
};

// $XDG_CONFIG_HOME/keyweave (an absolute XDG_CONFIG_HOME only, else ~/.config/keyweave): the
// folder of an installed program's settings and scripts.
std::filesystem::path SettingsHome(const FolderFacts& facts);
// The same for this process.
std::filesystem::path SettingsHome();

// Beside the program when its folder is writable and not an installed prefix (a build or an
// unpacked folder); otherwise $XDG_CONFIG_HOME/keyweave (an absolute XDG_CONFIG_HOME only,
// else ~/.config/keyweave), seeded from the prefix's share/keyweave/Scripts, or from the
// Scripts/ folder beside a program whose folder is read-only.
FolderChoice ChooseProgramFolder(const FolderFacts& facts);

// The installed examples of a program in `programDir` (prefix/bin).
std::filesystem::path InstalledScripts(const std::filesystem::path& programDir);

// Makes the chosen folder the current directory: creates it and seeds its Scripts/ folder when
// that does not exist yet. Problems are reported on standard error; the program then runs in
// the current directory it was started in.
void EnterProgramFolder();

} // namespace keyweave::x11
