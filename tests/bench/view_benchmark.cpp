// Prints how long the main window takes to fill and colour the script view for a script of
// 20,000 commands, on the simulated platform.
#include "app/main_window.h"
#include "app/program_state.h"
#include "input/key_table.h"
#include "platform/sim/sim_platform.h"
#include "runtime/runtime.h"
#include "script/script.h"

#include <chrono>
#include <cstdio>

using namespace keyweave;

namespace {

constexpr int kCommands = 20000;
constexpr int kRuns = 3;

// Key strokes with sleeps between them, the shape a typed text takes, and some mouse moves.
CommandList LongListing() {
    CommandList commands;
    while (commands.size() < kCommands) {
        const std::int32_t key = 65 + static_cast<std::int32_t>(commands.size() % 13);
        commands.push_back(TCommand::Create(u"KEYDOWN", key, -1));
        commands.push_back(TCommand::Create(u"SLEEP", 10, -1));
        commands.push_back(TCommand::Create(u"KEYUP", key, -1));
        commands.push_back(TCommand::Create(u"MOUSELOC", 400, 300));
    }
    commands.resize(kCommands);
    return commands;
}

} // namespace

int main() {
    sim::SimPlatform sim;
    StartRuntime(sim);
    ResetProgramState();
    FillKeyTable();
    TMainWindow::Create();
    auto script = std::make_shared<TScript>();
    script->DataList = LongListing();
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
