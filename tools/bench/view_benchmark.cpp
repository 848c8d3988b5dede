// Prints how long the main window takes to fill and colour the script view for a script of
// 20,000 commands, on the simulated platform.
#include "app/main_window.h"
#include "app/program_state.h"
#include "input/key_table.h"
#include "long_listing.h"
#include "platform/sim/sim_platform.h"
#include "runtime/runtime.h"
#include "script/script.h"

#include <chrono>
#include <cstdio>

using namespace keyweave;

namespace {

constexpr int kCommands = 20000;
constexpr int kRuns = 3;

} // namespace

int main() {
    sim::SimPlatform sim;
    StartRuntime(sim);
    ResetProgramState();
    FillKeyTable();
    TMainWindow::Create();
    auto script = std::make_shared<TScript>();
    script->DataList = bench::LongListing(kCommands);
    Program().CurrentScript = script;

    for (int run = 1; run <= kRuns; ++run) {
        const auto start = std::chrono::steady_clock::now();
        TMainWindow::UpdateScriptView();
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        std::printf("script view of %d commands (%d characters), run %d: %.1f ms\n", kCommands,
                    Program().ScriptView->AreaLen(UnitCharacters), run, took.count());
    }
    return 0;
}
