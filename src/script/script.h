#pragma once

#include "runtime/object.h"
#include "runtime/timers/timer.h"
#include "script/command.h"
#include "script/parser.h"

#include <memory>
#include <string>

namespace keyweave {

// One loaded script: its compiled commands and, while it plays, where it stands.
class TScript : public TObject {
public:
    std::u16string Name;
    std::u16string Path; // always empty
    CommandList DataList;
    TimerRef Timer;

    // The commands left in this pass, next one first: the end of DataList, shared rather
    // than copied.
    CommandStretch WorkList() const;

    // The player (script/player.cpp).

    // Rewinds to the first command and stops a pending wait.
    int Reset();
    // Refills WorkList with the commands of DataList.
    int DataToWork();
    int UpdateKeys() { return 0; }
    // Performs at most one command; 1 when a command was taken.
    int Update();
    // Whether a wait is under way whose timer has not ticked: until it does, a turn plays
    // nothing.
    bool WaitsForItsTimer() const { return Timer && Timer->Ticks() == 0; }

    // The library (script/library.cpp).

    // Compiles a file; the script is appended to ScriptList and returned when it is a script
    // within the budget. `cost`, when given, learns what reading it took.
    static std::shared_ptr<TScript> Load(const std::u16string& path,
                                         const ScriptBudget& budget = kScriptBudget,
                                         ReadCost* cost = nullptr);
    // Loads every script of the Scripts folder into ScriptList; CurrentScript becomes none.
    static int LoadScripts();
    // The same, and the script read from the file `fileName` of the folder, or null. A file
    // that would pass what the scripts before it left of `libraryBudget` is left out.
    static std::shared_ptr<TScript>
    LoadScriptsFinding(const std::u16string& fileName,
                       const ScriptBudget& libraryBudget = kLibraryBudget);

    // The parser (script/library.cpp): 1 when the file is a script within the budget.
    int Read(const std::u16string& path, const ScriptBudget& budget = kScriptBudget,
             ReadCost* cost = nullptr);

private:
    // Where WorkList begins in DataList; past its end, as for a new script, the list is empty.
    std::size_t workStart_ = std::size_t(-1);
};

using ScriptRef = std::shared_ptr<TScript>;

// The folder of the scripts, relative to the program's folder.
inline const std::u16string kScriptsFolder = u"Scripts\\";

} // namespace keyweave
