// The program file `keyweave`: it reads the arguments, and when the Keyweave of its folder runs
// already, hands them over and ends; otherwise it loads the program itself, the module
// keyweave-gtk.so with the window, GTK and the X11 platform, and runs it. Loading GTK and the
// libraries below it takes some 20 ms, which a request handed over does without.

#include "platform/x11/application_id.h"
#include "platform/x11/launcher.h"
#include "platform/x11/program_folder.h"

#include <cstdio>
#include <dlfcn.h>
#include <filesystem>
#include <system_error>

namespace {

namespace fs = std::filesystem;

const char* const kModule = "keyweave-gtk.so";
const char* const kEntry = "keyweave_run";

// Beside the program file (a build, an unpacked folder), else in the prefix's libexec/keyweave,
// with the installed program's other private files.
fs::path ModulePath() {
    std::error_code error;
    const fs::path folder = fs::read_symlink("/proc/self/exe", error).parent_path();
    const fs::path beside = folder / kModule;
    return fs::exists(beside, error) ? beside
                                     : folder.parent_path() / "libexec" / "keyweave" / kModule;
}

} // namespace

int main(int argc, char** argv) {
    using namespace keyweave::x11;
    ReadArgumentsOrExit(argc, argv);
    EnterProgramFolder();
    HandOverIfRunning(CurrentApplicationId(), argc, argv);
    const fs::path module = ModulePath();
    void* program = dlopen(module.c_str(), RTLD_NOW | RTLD_GLOBAL);
    if (program == nullptr) {
        std::fprintf(stderr, "keyweave: cannot load the program: %s\n", dlerror());
        return 1;
    }
    const auto run = reinterpret_cast<int (*)(int, char**)>(dlsym(program, kEntry));
    if (run == nullptr) {
        std::fprintf(stderr, "keyweave: %s has no %s\n", module.c_str(), kEntry);
        return 1;
    }
    return run(argc, argv);
}
