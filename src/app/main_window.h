#pragma once

#include "script/script.h"

#include <string>

namespace keyweave {

// The program's one window: script choice, script view, binding, reload, About and Exit.
class TMainWindow {
public:
    static int Create();
    static int UpdateBindLabels();
    // Takes and handles at most one GUI event.
    static int Update();
    // Appends a line and a line break to the script view.
    static int AddText(const std::u16string& line);
    // Fills the script view with the current script's listing and colours it.
    static int UpdateScriptView();
    static int UpdateScriptViewColor();
    static int UpdateScriptList();
};

// Sets the status bar text of the main window.
void ShowStatus(const std::u16string& text);

// What "Reload Scripts" does; returns the script read from the file `fileName` of the Scripts
// folder, or null.
ScriptRef ReloadScripts(const std::u16string& fileName);

// Shows a script of ScriptList as the chosen item of the script combo box and makes it the
// current script, as the user's pick of it does.
void PickScript(const ScriptRef& script);

// Id of the event that announces a captured Start/Stop binding.
inline constexpr int BindCapturedEvent = 1;
// Id of the event that announces a capture that found no key and kept the binding there was.
inline constexpr int BindRestoredEvent = 2;

inline const std::u16string kApplicationTitle = u"Keyweave 1.0";

} // namespace keyweave
