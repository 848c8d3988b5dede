#include "platform/x11/program_folder.h"

#include <cstdio>
#include <cstdlib>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace keyweave::x11 {
namespace fs = std::filesystem;

namespace {

fs::path HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return home;
    }
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return {};
}

FolderFacts GatherFacts() {
    FolderFacts facts;
    std::error_code error;
    facts.programDir = fs::read_symlink("/proc/self/exe", error).parent_path();
    facts.programDirWritable = access(facts.programDir.c_str(), W_OK) == 0;
    facts.installed = facts.programDir.filename() == "bin" &&
                      fs::is_directory(InstalledScripts(facts.programDir), error);
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr) {
        facts.xdgConfigHome = config;
    }
    facts.home = HomeFolder();
    return facts;
}

void Complain(const std::string& what, const std::error_code& error) {
    std::fprintf(stderr, "keyweave: %s: %s\n", what.c_str(), error.message().c_str());
}

void SeedScripts(const fs::path& folder, const fs::path& examples) {
    std::error_code error;
    const fs::path scripts = folder / "Scripts";
    if (examples.empty() || fs::exists(scripts, error)) {
        return;
    }
    if (!fs::create_directories(scripts, error) && error) {
        Complain("cannot create " + scripts.string(), error);
        return;
    }
    for (const auto& entry : fs::directory_iterator(examples, error)) {
        if (entry.is_regular_file(error) && entry.path().extension() == ".ini") {
            fs::copy_file(entry.path(), scripts / entry.path().filename(),
                          fs::copy_options::skip_existing, error);
            if (error) {
                Complain("cannot copy " + entry.path().string(), error);
            }
        }
    }
}

} // namespace

fs::path InstalledScripts(const fs::path& programDir) {
    return programDir.parent_path() / "share" / "keyweave" / "Scripts";
}

fs::path SettingsHome(const FolderFacts& facts) {
    const fs::path config =
        facts.xdgConfigHome.is_absolute() ? facts.xdgConfigHome : facts.home / ".config";
    return config / "keyweave";
}

fs::path SettingsHome() {
    return SettingsHome(GatherFacts());
}

FolderChoice ChooseProgramFolder(const FolderFacts& facts) {
    if (facts.programDirWritable && !facts.installed) {
        return {facts.programDir, {}};
    }
    fs::path examples =
        facts.installed ? InstalledScripts(facts.programDir) : facts.programDir / "Scripts";
    return {SettingsHome(facts), examples};
}

void EnterProgramFolder() {
    const FolderChoice choice = ChooseProgramFolder(GatherFacts());
    std::error_code error;
    if (!fs::create_directories(choice.folder, error) && error) {
        Complain("cannot create " + choice.folder.string(), error);
        return;
    }
    SeedScripts(choice.folder, choice.seedScripts);
    fs::current_path(choice.folder, error);
    if (error) {
        Complain("cannot enter " + choice.folder.string(), error);
    }
}

} // namespace keyweave::x11
