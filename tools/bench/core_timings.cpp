#include "core_timings.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "input/key_table.h"
#include "long_listing.h"
#include "platform/platform.h"
#include "runtime/runtime.h"
#include "script/script.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace keyweave::bench {
namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A script of the size users write: a few strokes, waits and mouse moves.
void WriteScripts(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    for (int i = 0; i < kLoadedScripts; ++i) {
        std::ofstream file(folder / ("script" + std::to_string(i) + ".ini"), std::ios::binary);
        file << "?kweaver\r\n{Script " << i << "\r\n";
        for (int line = 0; line < 5; ++line) {
            file << "MouseLoc(" << 100 + line << ", 200)\r\nKeyStroke(KEY_A, 30)\r\n"
                 << "Sleep(" << 10 * (line + 1) << ")\r\nMouseStroke(MOUSE_LEFT, 20)\r\n";
        }
    }
}

} // namespace

CoreTimings MeasureCoreTimings(const std::string& display, const std::string& scratchFolder) {
    setenv("DISPLAY", display.c_str(), 1);
    char name[] = "keyweave";
    char* argv[] = {name, nullptr};
    std::unique_ptr<Platform> platform = CreatePlatform(1, argv);
    StartRuntime(*platform);
    ResetProgramState();
    FillKeyTable();
    TMainWindow::Create();
    platform->System().Poll();

    const std::filesystem::path folder = std::filesystem::path(scratchFolder) / "core";
    WriteScripts(folder / "Scripts");
    std::filesystem::current_path(folder);
    CoreTimings timings;
    auto start = Clock::now();
    TScript::LoadScripts();
    TMainWindow::UpdateScriptList();
    platform->System().Poll();
    timings.loadScriptsMs = MsSince(start);

    auto script = std::make_shared<TScript>();
    script->DataList = LongListing(kViewCommands);
    Program().CurrentScript = script;
    start = Clock::now();
    TMainWindow::UpdateScriptView();
    platform->System().Poll();
    timings.buildViewMs = MsSince(start);
    return timings;
}

} // namespace keyweave::bench
