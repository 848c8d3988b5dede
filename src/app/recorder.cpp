#include "app/recorder.h"

#include "app/app.h"
#include "app/input_capture.h"
#include "app/main_window.h"
#include "app/program_state.h"
#include "platform/platform.h"
#include "runtime/list.h"
#include "runtime/strings.h"
#include "runtime/system/system.h"
#include "script/recording.h"
#include "script/recording_file.h"

#include <algorithm>

namespace keyweave {

namespace {

const std::u16string kArmedText = u"Press the Start/Stop keys to start recording.";
const std::u16string kRecordingText = u"Recording. Press the Start/Stop keys to stop.";
const std::u16string kCancelledText = u"Recording cancelled.";
const std::u16string kEmptyText = u"Nothing was recorded.";
const std::u16string kNotSavedText = u"The recording could not be saved in the Scripts folder.";
const std::u16string kCannotRecordText = u"Recording is not possible on this system.";

InputWatcher& Watcher() {
    return CurrentPlatform().Watcher();
}

// What the final status adds about the keys that were left out.
std::u16string LeftOutNote(int presses) {
    if (presses == 0) {
        return u"";
    }
    if (presses == 1) {
        return u" 1 press of a key outside the key table was left out.";
    }
    return u" " + DecimalText(presses) + u" presses of keys outside the key table were left out.";
}

// The new script joins the library and is chosen as a pick in the script combo box chooses it.
void Publish(const SavedRecording& saved, const std::u16string& note) {
    if (const ScriptRef script = ReloadScripts(saved.fileName)) {
        PickScript(script);
        ShowStatus(script->Name + u" ready." + note);
    }
}

void Finish(RecorderState& state) {
    Watcher().EndWatching();
    const std::shared_ptr<InputCapture> capture = std::move(state.capture);
    state.settling = true;
    const std::u16string note = LeftOutNote(capture->LeftOut());
    if (capture->Result().actions.empty()) {
        ShowStatus(kEmptyText + note);
        return;
    }
    const SavedRecording saved = SaveRecording(TranscribeRecording(capture->Result()));
    if (saved.number == 0) {
        ShowStatus(kNotSavedText);
        return;
    }
    Publish(saved, note);
}

} // namespace

int TRecorder::Toggle() {
    auto& program = Program();
    if (program.Recorder.capture) {
        return Cancel();
    }
    if (program.BindList.empty()) {
        return TApp::CheckBindings();
    }
    if (!Watcher().BeginWatching()) {
        ShowStatus(kCannotRecordText);
        return 0;
    }
    program.Running = 0;
    TApp::SelectScript(nullptr);
    program.Recorder.capture = std::make_shared<InputCapture>(program.BindList, program.DownList);
    ShowStatus(kArmedText);
    return 0;
}

int TRecorder::Cancel() {
    RecorderState& state = Program().Recorder;
    if (state.capture) {
        Watcher().EndWatching();
        state.capture = nullptr;
        ShowStatus(kCancelledText);
    }
    return 0;
}

bool TRecorder::HasTheStartStopKeys() {
    const RecorderState& state = Program().Recorder;
    return state.capture || state.settling;
}

int TRecorder::Update() {
    auto& program = Program();
    RecorderState& state = program.Recorder;
    if (!state.capture) {
        const bool letGo =
            std::none_of(program.BindList.begin(), program.BindList.end(),
                         [&program](const KeyRef& key) { return Contains(program.DownList, key); });
        if (letGo) {
            state.settling = false;
            program.BindHeld = 0;
        }
        return 0;
    }
    std::vector<InputEvent> events;
    Watcher().TakeEvents(events);
    const bool started = state.capture->HasStarted();
    state.capture->Take(events);
    if (state.capture->HasEnded()) {
        Finish(state);
    } else if (!started && state.capture->HasStarted()) {
        ShowStatus(kRecordingText);
    }
    return 0;
}

} // namespace keyweave
