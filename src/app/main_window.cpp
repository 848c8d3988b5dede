#include "app/main_window.h"

#include "app/app.h"
#include "app/program_state.h"
#include "app/recorder.h"
#include "input/key.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "platform/platform.h"
#include "runtime/events/event_queue.h"
#include "runtime/gui/gadget.h"
#include "runtime/strings.h"
#include "runtime/system/system.h"
#include "script/command.h"
#include "script/statement_table.h"

#include <algorithm>

namespace keyweave {

namespace {

const std::u16string kAboutText =
    u"Keyweave 1.0 - keyboard and mouse macro player, by the Keyweave authors.";
const std::u16string kBindButtonText = u"Bind Start/Stop key.";
const std::u16string kBindPrompt = u"Hold key(s) down for 3 seconds.";
const std::u16string kRecordButtonText = u"Record Script";
const std::u16string kNotSavedText = u"The Start/Stop key could not be saved in settings.ini.";

// A longer listing would cost the text area far more than the script itself and take minutes
// to stream in; what is left out is counted on the last line.
constexpr std::size_t kMostViewLines = 100000;

constexpr int kWindowStyle = WindowTitleBar | WindowStatusBar | WindowClientShape | WindowCentred;
constexpr int kPushButton = 8;
constexpr int kDropDownList = 0;
constexpr Rgb kViewBackground{51, 68, 85};
constexpr Rgb kArgumentColour{147, 255, 255};
constexpr Rgb kParenthesisColour{255, 255, 255};

// The colour of the word before a line's "(": the word in upper case names a command; the tabs
// and blanks around it do not count.
const Rgb* ColourOfWord(std::u16string_view word) {
    const Statement* statement = StatementOf(OperationNamed(Trim(word)));
    return statement ? &statement->colour : nullptr;
}

void Colour(TGadget& view, Rgb colour, std::size_t pos, std::size_t length) {
    if (length > 0) {
        view.SetStyle(colour, 0, static_cast<int>(pos), static_cast<int>(length), UnitCharacters);
    }
}

// Colours the line text[start, end): its command word by kind, the text between the
// parentheses, and the two parentheses. A line without "(" keeps the default colour.
void ColourLine(TGadget& view, const std::u16string& text, std::size_t start, std::size_t end) {
    const auto first = text.begin() + static_cast<std::ptrdiff_t>(start);
    const auto last = text.begin() + static_cast<std::ptrdiff_t>(end);
    const auto parenthesis = std::find(first, last, u'(');
    if (parenthesis == last) {
        return;
    }
    const std::size_t paren = static_cast<std::size_t>(parenthesis - text.begin());
    if (const Rgb* colour = ColourOfWord(std::u16string_view(text).substr(start, paren - start))) {
        Colour(view, *colour, start, paren - start);
    }
    const std::size_t restLength = end - paren;
    if (restLength > 2) {
        Colour(view, kArgumentColour, paren + 1, restLength - 2);
    }
    Colour(view, kParenthesisColour, paren, 1);
    Colour(view, kParenthesisColour, end - 1, 1);
}

std::u16string JoinLines(const std::vector<std::u16string>& lines) {
    std::size_t length = 0;
    for (const auto& line : lines) {
        length += line.size() + 1;
    }
    std::u16string joined;
    joined.reserve(length);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            joined += u'\n';
        }
        joined += lines[i];
    }
    return joined;
}

// The listing of a script's commands, up to kMostViewLines of them.
std::vector<std::u16string> ViewLines(const CommandList& commands) {
    std::vector<std::u16string> lines = DisplayLines(commands, kMostViewLines);
    if (commands.size() > lines.size()) {
        lines.push_back(u"... and " +
                        DecimalText(static_cast<std::int64_t>(commands.size() - lines.size())) +
                        u" more commands, not shown here.");
    }
    return lines;
}

// A script that is dropped or left keeps its pending wait's timer otherwise, holding one of
// the timer service's few slots until it is chosen again.
void EndPendingWait(TScript& script) {
    if (script.Timer) {
        script.Timer->Stop();
        script.Timer = nullptr;
    }
}

void ChooseScript(const ObjectRef& chosen) {
    auto& program = Program();
    const auto script = std::dynamic_pointer_cast<TScript>(chosen);
    if (!script) {
        return;
    }
    if (program.CurrentScript) {
        EndPendingWait(*program.CurrentScript);
    }
    program.CurrentScript = script;
    script->Reset();
    ShowStatus(script->Name + u" ready.");
    TMainWindow::UpdateScriptView();
    TMouse::Flush();
    TMouse::Unlock();
    TKeyboard::Flush();
}

void StartBinding() {
    auto& program = Program();
    program.BindLabel->SetText(kBindPrompt);
    if (!program.BindList.empty()) {
        program.ReplacedBindList = std::move(program.BindList);
    }
    program.BindList.clear();
}

// A capture that found no key saves nothing: there is no binding to keep.
void FinishBinding(bool captured) {
    auto& program = Program();
    TMainWindow::UpdateBindLabels();
    if (captured && !program.BindList.empty() && TApp::SaveSettings() == 0) {
        ShowStatus(kNotSavedText);
    }
    program.BindButton->SetText(kBindButtonText);
}

// A playing script stops as the Start/Stop keys stop it, before a message box halts the loop
// or the window takes the user elsewhere.
void StopPlaying() {
    if (Program().Running == 1) {
        TKey::ToggleEnabled();
    }
}

// Before a reload drops the scripts or a capture watches the keys, nothing that a script
// pressed may stay down: a paused one lets go too.
void StopAndLetGo() {
    StopPlaying();
    TMouse::Unlock();
    TMouse::Flush();
    TKeyboard::Flush();
}

// Choosing a script, binding new Start/Stop keys and reloading each end a recording under way
// first.
void HandleGadgetAction(const ObjectRef& source) {
    auto& program = Program();
    if (source == program.ScriptCombo) {
        TRecorder::Cancel();
        ChooseScript(CurrentEventExtra());
    } else if (source == program.ExitButton) {
        TApp::Close();
    } else if (source == program.BindButton) {
        TRecorder::Cancel();
        StopAndLetGo();
        StartBinding();
    } else if (source == program.AboutButton) {
        StopPlaying();
        Notify(kAboutText, false);
    } else if (source == program.ReloadButton) {
        TRecorder::Cancel();
        StopAndLetGo();
        ReloadScripts(u"");
    } else if (source == program.RecordButton) {
        StopAndLetGo();
        TRecorder::Toggle();
    }
}

} // namespace

void ShowStatus(const std::u16string& text) {
    if (const GadgetRef window = Program().Window) {
        window->SetStatus(text);
    }
}

ScriptRef ReloadScripts(const std::u16string& fileName) {
    auto& program = Program();
    program.Running = 0;
    for (const auto& script : program.ScriptList) {
        EndPendingWait(*script);
    }
    ScriptRef found = TScript::LoadScriptsFinding(fileName);
    TMainWindow::UpdateScriptList();
    TMainWindow::UpdateBindLabels();
    program.ScriptView->ReplaceText(0, -1, u"", UnitCharacters);
    program.ScriptCombo->SetText(u"");
    ShowStatus(u"Choose a script.");
    return found;
}

void PickScript(const ScriptRef& script) {
    auto& program = Program();
    const auto item = std::find(program.ScriptList.begin(), program.ScriptList.end(), script);
    if (item != program.ScriptList.end()) {
        program.ScriptCombo->SelectItem(static_cast<int>(item - program.ScriptList.begin()), 1);
        ChooseScript(script);
    }
}

int TMainWindow::Create() {
    auto& program = Program();
    SetApplicationTitle(kApplicationTitle);
    program.Window = CreateWindowGadget(kApplicationTitle, 0, 0, 600, 400, nullptr, kWindowStyle);
    const GadgetRef& window = program.Window;
    program.CurrentScriptLabel =
        CreateLabelGadget(u"Current Script", 0, 5, 200, 20, window, LabelCentred);
    program.ScriptCombo = CreateComboBoxGadget(5, 25, 190, 20, window, kDropDownList);
    program.ExitButton = CreateButtonGadget(u"Exit", 5, 370, 190, 25, window, kPushButton);
    program.ScriptView = CreateTextAreaGadget(200, 5, 395, 390, window, TextAreaReadOnly);
    program.ScriptView->SetColor(kViewBackground);
    program.BindButton = CreateButtonGadget(kBindButtonText, 5, 55, 190, 25, window, kPushButton);
    program.BindLabel = CreateLabelGadget(u"", 5, 85, 190, 20, window, LabelCentred);
    program.AboutButton = CreateButtonGadget(u"About", 5, 340, 190, 25, window, kPushButton);
    program.ReloadButton =
        CreateButtonGadget(u"Reload Scripts", 5, 310, 190, 25, window, kPushButton);
    program.RecordButton =
        CreateButtonGadget(kRecordButtonText, 5, 115, 190, 25, window, kPushButton);
    ShowStatus(u"Select a script.");
    return 0;
}

int TMainWindow::UpdateBindLabels() {
    auto& program = Program();
    std::u16string text;
    for (const auto& key : program.BindList) {
        text += u"<" + key->Name + u"> ";
    }
    program.BindLabel->SetText(text);
    // The platform hears of the combination wherever it is shown anew: at start, after a
    // capture and after a reload.
    KeySet combination;
    for (const auto& key : program.BindList) {
        if (key->Key >= 0 && key->Key < 256) {
            combination.set(static_cast<std::size_t>(key->Key));
        }
    }
    CurrentPlatform().Keyboard().BindCombination(combination);
    return 0;
}

int TMainWindow::Update() {
    if (!EventQueuePeek()) {
        return 0;
    }
    const std::int32_t id = EventQueueWait();
    const ObjectRef source = CurrentEventSource();
    if (id == WindowClose && source == Program().Window) {
        TApp::Close();
    } else if (id == GadgetAction) {
        HandleGadgetAction(source);
    } else if (id == BindCapturedEvent || id == BindRestoredEvent) {
        FinishBinding(id == BindCapturedEvent);
    }
    return 0;
}

int TMainWindow::AddText(const std::u16string& line) {
    TGadget& view = *Program().ScriptView;
    const std::u16string text = view.AreaText(0, -1, UnitCharacters);
    view.ReplaceText(0, -1, text + line + u"\n", UnitCharacters);
    return 0;
}

// The listing goes in with one replacement, so a rebuild costs time linear in its length.
int TMainWindow::UpdateScriptView() {
    auto& program = Program();
    TGadget& view = *program.ScriptView;
    view.LockText();
    view.ReplaceText(0, -1, u"", UnitCharacters);
    if (program.CurrentScript && !program.CurrentScript->DataList.empty()) {
        AddText(JoinLines(ViewLines(program.CurrentScript->DataList)));
    }
    UpdateScriptViewColor();
    view.UnlockText();
    return 0;
}

int TMainWindow::UpdateScriptViewColor() {
    TGadget& view = *Program().ScriptView;
    const std::u16string text = view.AreaText(0, -1, UnitCharacters);
    std::size_t start = 0;
    for (;;) {
        const std::size_t lineBreak = text.find(u'\n', start);
        const std::size_t end = lineBreak == std::u16string::npos ? text.size() : lineBreak;
        ColourLine(view, text, start, end);
        if (lineBreak == std::u16string::npos) {
            break;
        }
        start = lineBreak + 1;
    }
    return 0;
}

int TMainWindow::UpdateScriptList() {
    auto& program = Program();
    program.ScriptCombo->Clear();
    for (const auto& script : program.ScriptList) {
        AddItem(program.ScriptCombo, script->Name, 0, -1, u"", script);
    }
    return 0;
}

} // namespace keyweave
