#include "app/requests.h"

#include "app/main_window.h"
#include "app/program_state.h"
#include "input/key.h"
#include "input/keyboard.h"
#include "input/mouse.h"

#include <algorithm>
#include <optional>

namespace keyweave {

namespace {

using Result = RequestOutcome::Result;

const std::u16string kRecordingText =
    u"Keyweave is recording a script: end or cancel the recording first.";
const std::u16string kBindingText =
    u"Keyweave is waiting for the Start/Stop keys to be bound: bind them first.";
const std::u16string kNoneChosenText = u"No script is chosen: name one.";

// Why the program cannot take a request now: while a recording is armed or under way the
// Start/Stop keys are the recorder's, and while nothing is bound the loop plays nothing.
std::optional<RequestOutcome> Busy() {
    const auto& program = Program();
    if (program.Recorder.capture) {
        return RequestOutcome{Result::Busy, kRecordingText};
    }
    if (program.BindList.empty()) {
        return RequestOutcome{Result::Busy, kBindingText};
    }
    return std::nullopt;
}

RequestOutcome NoneNamed(const std::u16string& name) {
    return {Result::NoSuchScript, u"No script is named " + name + u"."};
}

RequestOutcome NoneChosen() {
    return {Result::NoSuchScript, kNoneChosenText};
}

// The first script of the list with this name, as the list shows it.
ScriptRef ScriptNamed(const std::u16string& name) {
    const auto& scripts = Program().ScriptList;
    const auto found =
        std::find_if(scripts.begin(), scripts.end(),
                     [&name](const ScriptRef& script) { return script->Name == name; });
    return found == scripts.end() ? nullptr : *found;
}

bool IsRunning() {
    return Program().Running == 1;
}

// As the Start/Stop keys: the script is reset and everything it holds is let go.
void StopIfRunning() {
    if (IsRunning()) {
        TKey::ToggleEnabled();
    }
}

void StartIfStopped() {
    if (!IsRunning()) {
        TKey::ToggleEnabled();
    }
}

// Another script is chosen only after the one that runs has stopped and let go.
void Choose(const ScriptRef& script) {
    if (script != Program().CurrentScript) {
        StopIfRunning();
        PickScript(script);
    }
}

} // namespace

RequestOutcome TRequests::Toggle(const std::u16string& name) {
    if (const auto busy = Busy()) {
        return *busy;
    }
    if (name.empty()) {
        if (!IsRunning() && !Program().CurrentScript) {
            return NoneChosen();
        }
        TKey::ToggleEnabled();
        return {};
    }
    const ScriptRef script = ScriptNamed(name);
    if (!script) {
        return NoneNamed(name);
    }
    if (script == Program().CurrentScript && IsRunning()) {
        TKey::ToggleEnabled();
        return {};
    }
    Choose(script);
    StartIfStopped();
    return {};
}

RequestOutcome TRequests::Start(const std::u16string& name) {
    if (const auto busy = Busy()) {
        return *busy;
    }
    const ScriptRef script = name.empty() ? Program().CurrentScript : ScriptNamed(name);
    if (!script) {
        return name.empty() ? NoneChosen() : NoneNamed(name);
    }
    Choose(script);
    StartIfStopped();
    return {};
}

RequestOutcome TRequests::Stop() {
    if (const auto busy = Busy()) {
        return *busy;
    }
    StopIfRunning();
    TMouse::Unlock();
    TMouse::Flush();
    TKeyboard::Flush();
    return {};
}

RequestOutcome InputRequest(RequestKind kind, const std::u16string& scriptName) {
    switch (kind) {
    case RequestKind::Toggle:
        return TRequests::Toggle(scriptName);
    case RequestKind::Start:
        return TRequests::Start(scriptName);
    case RequestKind::Stop:
        return TRequests::Stop();
    }
    return {};
}

} // namespace keyweave
