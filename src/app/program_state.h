#pragma once

#include "app/recorder.h"
#include "input/key.h"
#include "input/mouse.h"
#include "runtime/gui/gadget.h"
#include "runtime/timers/timer.h"
#include "script/script.h"

#include <memory>
#include <string>
#include <vector>

namespace keyweave {

// The program-wide state: everything the class-level operations of TApp, TMainWindow,
// TKeyboard, TMouse and the binding of TKey work on. Start-up creates it; a test can create
// it afresh.
struct ProgramState {
    std::u16string SettingsPath = u"settings.ini";

    // The main window and its gadgets.
    GadgetRef Window;
    GadgetRef CurrentScriptLabel;
    GadgetRef ScriptCombo;
    GadgetRef ExitButton;
    GadgetRef ScriptView;
    GadgetRef BindButton;
    GadgetRef BindLabel;
    GadgetRef AboutButton;
    GadgetRef ReloadButton;
    GadgetRef RecordButton;

    // The Start/Stop binding.
    KeyList BindList;
    // The binding that the bind button took away, until a capture replaces or restores it.
    KeyList ReplacedBindList;
    int BindHeld = 0;
    TimerRef BindTimer;

    // The scripts.
    int Running = 0;
    ScriptRef CurrentScript;
    std::vector<ScriptRef> ScriptList;
    RecorderState Recorder;

    // The keyboard.
    KeyList KeyboardKeyList;
    KeyList DownList;
    KeyList HitList;
    KeyList ReleasedList;
    std::vector<std::u16string> KeyboardInjectedList;

    // The mouse.
    KeyList MouseKeyList;
    std::vector<std::u16string> MouseInjectedList;
    PointRef LockPos;
    PointRef StartPos;
};

// The state of this process. ResetProgramState() replaces it with a fresh one.
ProgramState& Program();
void ResetProgramState();

} // namespace keyweave
