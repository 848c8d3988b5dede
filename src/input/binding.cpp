#include "app/app.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "input/key.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "runtime/events/event.h"
#include "runtime/list.h"

#include <algorithm>

namespace keyweave {

namespace {

// One period of the capture timer: the nearest single-precision value to 1/3 Hz, 2999 ms.
constexpr float kBindTimerHertz = 0.33333334f;

bool AllHeld(const KeyList& keys, const KeyList& held) {
    return std::all_of(keys.begin(), keys.end(),
                       [&held](const KeyRef& key) { return Contains(held, key); });
}

bool NoneHeld(const KeyList& keys, const KeyList& held) {
    return std::none_of(keys.begin(), keys.end(),
                        [&held](const KeyRef& key) { return Contains(held, key); });
}

void Announce(int id) {
    TEvent::Create(id, nullptr, 0, 0, 0, 0, nullptr)->Emit();
}

void EndCaptureWait() {
    auto& program = Program();
    program.BindTimer->Stop();
    program.BindTimer = nullptr;
}

} // namespace

int TKey::ResetBindTimer() {
    auto& program = Program();
    if (program.BindTimer) {
        program.BindTimer->Stop();
    }
    program.BindTimer = TTimer::Create(kBindTimerHertz, nullptr);
    return 0;
}

int TKey::UpdateBind() {
    auto& program = Program();
    if (!program.BindTimer) {
        ResetBindTimer();
    }
    if (!program.ReleasedList.empty() || !program.HitList.empty()) {
        ResetBindTimer();
        return 0;
    }
    // A timer the timer service refused counts as one that has not ticked; the next turn asks
    // for a new one.
    if (!program.BindTimer || program.BindTimer->Ticks() == 0) {
        return 0;
    }
    // A capture that found no key held after the bind button keeps the binding there was:
    // touching nothing for three seconds must not lose it.
    if (program.DownList.empty() && !program.ReplacedBindList.empty()) {
        program.BindList = std::move(program.ReplacedBindList);
        program.ReplacedBindList.clear();
        EndCaptureWait();
        Announce(BindRestoredEvent);
        return 0;
    }
    program.BindList = program.DownList;
    program.ReplacedBindList.clear();
    Announce(BindCapturedEvent);
    EndCaptureWait();
    TApp::SelectScript(nullptr);
    return 1;
}

int TKey::Update() {
    auto& program = Program();
    if (program.BindList.empty()) {
        return 0;
    }
    if (program.BindHeld == 0) {
        if (AllHeld(program.BindList, program.DownList)) {
            program.BindHeld = 1;
        }
    } else if (NoneHeld(program.BindList, program.DownList)) {
        ToggleEnabled();
        program.BindHeld = 0;
    }
    return 0;
}

// A press of the combination while no script is chosen starts nothing: it would otherwise
// start whichever script the user picks next, at once.
int TKey::ToggleEnabled() {
    auto& program = Program();
    if (program.Running == 0) {
        if (!program.CurrentScript) {
            return 0;
        }
        program.Running = 1;
        program.StartPos = nullptr;
        return 0;
    }
    if (const ScriptRef script = program.CurrentScript) {
        script->Reset();
        ShowStatus(script->Name + u" stopped.");
    }
    program.Running = 0;
    TMouse::Unlock();
    TMouse::Flush();
    TKeyboard::Flush();
    return 0;
}

} // namespace keyweave
