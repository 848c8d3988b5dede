#include "simulation.h"

#include "app/app.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "input/key.h"
#include "input/key_table.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "runtime/runtime.h"
#include "runtime/strings.h"
#include "script/script.h"

namespace keyweave::check {

namespace {

constexpr ScreenSize kDesktop{1920, 1080};

std::string NameOrQuestionMark(const std::u16string& name) {
    return name.empty() ? "?" : ToUtf8(name);
}

// Picks the script in the combo box and lets the main window handle the pick, as when the
// user chooses it.
bool SelectLikeTheComboBox(const ScriptRef& script) {
    auto& program = Program();
    TMainWindow::UpdateScriptList();
    sim::AsSim(program.ScriptCombo).Pick(0);
    for (int event = 0; event < 8 && program.CurrentScript != script; ++event) {
        TMainWindow::Update();
    }
    return program.CurrentScript == script;
}

// A Start/Stop binding that nothing can complete: its row belongs to no table, so the
// keyboard poll, which reports table rows only, never finds it held, whatever keys the
// script presses. It keeps the main loop in armed mode.
void BindUnreachableKey() {
    auto key = std::make_shared<TKey>();
    key->Name = u"Dry run";
    Program().BindList = {key};
}

// The lines go out as the run goes, so that its memory does not grow with its length; a
// flush every so many turns (a fraction of a millisecond of real time) lets a reader see them
// early without a write per line.
constexpr std::int64_t kTurnsPerFlush = 1024;

// Writes the lines of the actions logged since the last call and empties the log.
void WriteActions(sim::SimPlatform& platform, std::int64_t start, std::ostream& out) {
    for (const sim::InjectedAction& action : platform.Log()) {
        if (const std::string line = DescribeAction(action, start); !line.empty()) {
            out << line << '\n';
        }
    }
    platform.ClearLog();
}

} // namespace

std::string DescribeAction(const sim::InjectedAction& action, std::int64_t start) {
    const std::string time = std::to_string(action.timeMs - start) + " ";
    switch (action.kind) {
    case sim::InjectedAction::KeyDown:
    case sim::InjectedAction::KeyUp:
        return time + (action.kind == sim::InjectedAction::KeyDown ? "keydown " : "keyup ") +
               std::to_string(action.code) + " " +
               NameOrQuestionMark(TKeyboard::ReturnScriptNameFromInt(action.code));
    case sim::InjectedAction::MouseDown:
    case sim::InjectedAction::MouseUp:
        return time + (action.kind == sim::InjectedAction::MouseDown ? "mousedown " : "mouseup ") +
               std::to_string(action.code) + " " +
               NameOrQuestionMark(TMouse::ReturnScriptNameFromInt(action.code));
    case sim::InjectedAction::Move:
        return action.moved
                   ? time + "move " + std::to_string(action.x) + " " + std::to_string(action.y)
                   : "";
    }
    return "";
}

bool Simulate(const std::u16string& path, std::int64_t ms, std::ostream& out) {
    sim::SimPlatform platform(kDesktop);
    StartRuntime(platform);
    ResetProgramState();
    FillKeyTable();
    TMainWindow::Create();
    platform.MoveCursorByUser(kDesktop.width / 2, kDesktop.height / 2);
    const ScriptRef script = TScript::Load(path);
    if (!script || !SelectLikeTheComboBox(script)) {
        ResetProgramState();
        return false;
    }
    BindUnreachableKey();

    platform.ClearLog();
    const std::int64_t start = platform.Now();
    TKey::ToggleEnabled();
    std::int64_t turnStart = start;
    // A reader that has gone (a failed stream) ends the run too.
    for (std::int64_t turn = 1; Program().Running == 1 && platform.Now() - start < ms && out;
         ++turn) {
        turnStart = platform.Now();
        TApp::Turn();
        WriteActions(platform, start, out);
        if (turn % kTurnsPerFlush == 0) {
            out.flush();
        }
    }
    if (Program().Running == 0) {
        const bool paused = sim::AsSim(Program().Window).status.ends_with(u" paused.");
        out << (turnStart - start) << (paused ? " paused\n" : " stopped\n");
    }
    ResetProgramState();
    return true;
}

} // namespace keyweave::check
