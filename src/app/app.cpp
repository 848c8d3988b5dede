#include "app/app.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "app/recorder.h"
#include "input/key_table.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "platform/platform.h"
#include "platform/platform_input.h"
#include "runtime/events/event_queue.h"
#include "runtime/runtime.h"
#include "runtime/system/system.h"
#include "script/timing.h"

namespace keyweave {

int TApp::CheckBindings() {
    if (Program().BindList.empty()) {
        Notify(u"You need to bind the Start/Stop key!", true);
    }
    return 0;
}

// The program selects scripts only through the script combo box; this clears the selection.
int TApp::SelectScript(const ScriptRef&) {
    auto& program = Program();
    if (program.CurrentScript) {
        program.CurrentScript->Reset();
        program.CurrentScript = nullptr;
    }
    program.ScriptCombo->SelectItem(-1, 0);
    ShowStatus(u"Select a script.");
    TMainWindow::UpdateScriptView();
    TMouse::Flush();
    TMouse::Unlock();
    TKeyboard::Flush();
    return 0;
}

int TApp::Close() {
    TKeyboard::Flush();
    TMouse::Flush();
    EndProcess(0);
}

// A close request of the system (a signal) ends the program as the close box does.
void InputCloseRequest() {
    TApp::Close();
}

void InputConnectionLost() {
    TKeyboard::Flush();
    TMouse::Flush();
}

void TApp::StartUp(Platform& platform) {
    StartRuntime(platform);
    ResetProgramState();
    FillKeyTable();
    LoadSettings();
    TMainWindow::Create();
    // It stays in the status bar until the status next changes (a script is chosen, say).
    if (const std::u16string notice = platform.System().StartupNotice(); !notice.empty()) {
        ShowStatus(notice);
    }
    TScript::LoadScripts();
    TMainWindow::UpdateScriptList();
    TMainWindow::UpdateBindLabels();
    CheckBindings();
}

namespace {

// A turn changes nothing until a key goes down or up, a timer ticks or a window message
// arrives, while no script plays and while the playing script waits for its timer with the
// cursor free: the loop then sleeps until one of those. Otherwise it keeps its 2 ms turns.
bool NothingToDoUntilAChange() {
    const auto& program = Program();
    if (EventQueueCount() != 0) {
        return false;
    }
    if (program.Running == 0) {
        return true;
    }
    return program.Running == 1 && program.LockPos == nullptr && program.CurrentScript &&
           program.CurrentScript->WaitsForItsTimer();
}

void PauseTurn() {
    if (NothingToDoUntilAChange()) {
        SleepUntilChange(kTurnMs);
    } else {
        SleepMs(kTurnMs);
    }
}

} // namespace

void TApp::Turn() {
    auto& program = Program();
    TKeyboard::Update();
    if (!program.BindList.empty()) {
        if (TRecorder::HasTheStartStopKeys()) {
            TRecorder::Update();
        } else {
            TKey::Update();
        }
        if (program.Running == 1) {
            TMouse::Update();
            if (const ScriptRef script = program.CurrentScript) {
                script->Update();
            }
            TMouse::TakeStartPos();
        }
    } else {
        program.Running = 0;
        TKey::UpdateBind();
    }
    PauseTurn();
    TMainWindow::Update();
}

void TApp::Run(Platform& platform) {
    StartUp(platform);
    for (;;) {
        Turn();
    }
}

} // namespace keyweave
