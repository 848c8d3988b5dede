#pragma once

#include "runtime/object.h"
#include "runtime/timers/timer.h"
#include "script/command.h"

#include <memory>
#include <string>

namespace keyweave {

// One loaded script: its compiled commands and, while it plays, where it stands.
class TScript : public TObject {
public:
    std::u16string Name;
    std::u16string Path; // always empty
    CommandList DataList;
    CommandList WorkList; // the commands left in this pass, next one first
    TimerRef Timer;

    // The player (script/player.cpp).

    // Rewinds to the first command and stops a pending wait.
    int Reset();
    // Refills WorkList with the commands of DataList.
    int DataToWork();
    int UpdateKeys() { return 0; }
    // Performs at most one command; 1 when a command was taken.
    int Update();

    // The library (script/library.cpp).

    // Compiles a file; the script is appended to ScriptList and returned when it is a script.
    static std::shared_ptr<TScript> Load(const std::u16string& path);
    // Loads every script of the Scripts folder into ScriptList; CurrentScript becomes none.
    static int LoadScripts();
    // The same, and the script read from the file `fileName` of the folder, or null.
    static std::shared_ptr<TScript> LoadScriptsFinding(const std::u16string& fileName);

    // The parser (script/library.cpp): 1 when the file is a script.
    int Read(const std::u16string& path);
};

using ScriptRef = std::shared_ptr<TScript>;

// The folder of the scripts, relative to the program's folder.
inline const std::u16string kScriptsFolder = u"Scripts\\";

} // namespace keyweave
