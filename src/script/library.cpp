#include "app/program_state.h"
#include "runtime/files/files.h"
#include "runtime/strings.h"
#include "script/parser.h"
#include "script/script.h"

#include <algorithm>

namespace keyweave {

namespace {

// What is left of the library's budget for the next file: never more than one script's.
ScriptBudget NextFileBudget(const ScriptBudget& left) {
    return {std::min(left.bytes, kScriptBudget.bytes), kScriptBudget.lineCharacters,
            std::min(left.commands, kScriptBudget.commands),
            std::min(left.lines, kScriptBudget.lines)};
}

void Spend(ScriptBudget& left, std::int64_t bytes, const ReadCost& cost) {
    left.bytes -= std::min(left.bytes, bytes);
    left.commands -= std::min(left.commands, cost.commands);
    left.lines -= std::min(left.lines, cost.lines);
}

} // namespace

int TScript::Read(const std::u16string& path, const ScriptBudget& budget, ReadCost* cost) {
    DataList.clear();
    StreamRef stream = OpenForReading(path);
    if (!stream) {
        return 0;
    }
    ScriptParser parser(budget);
    parser.ReadFile(*stream, [](const LineOutcome&) {});
    stream->Close();
    if (cost != nullptr) {
        *cost = parser.Cost();
    }
    if (parser.HasNameLine()) {
        Name = parser.name();
    }
    if (!parser.IsScript()) {
        return 0;
    }
    DataList = parser.TakeCommands();
    return 1;
}

std::shared_ptr<TScript> TScript::Load(const std::u16string& path, const ScriptBudget& budget,
                                       ReadCost* cost) {
    auto script = std::make_shared<TScript>();
    if (script->Read(path, budget, cost) != 1) {
        return nullptr;
    }
    Program().ScriptList.push_back(script);
    return script;
}

int TScript::LoadScripts() {
    LoadScriptsFinding(u"");
    return 0;
}

// Only files ending in ".ini" (any case) are candidates; whether one is a script is decided
// by its header when it is read.
// A file that would pass what is left of the library's budget is left out like one that is no
// script.
ScriptRef TScript::LoadScriptsFinding(const std::u16string& fileName,
                                      const ScriptBudget& libraryBudget) {
    Program().CurrentScript = nullptr;
    Program().ScriptList.clear();
    ScriptRef found;
    ScriptBudget left = libraryBudget;
    for (const std::u16string& name : ListFolder(kScriptsFolder, true)) {
        std::u16string path = kScriptsFolder + name;
        if (Lower(PathExtension(name)) == u"ini" && PathKind(path) == 1) {
            // Every file read counts, scripts or not: the budget bounds the time spent too.
            const std::int64_t bytes = FileSize(path);
            ReadCost cost;
            ScriptRef script = Load(path, NextFileBudget(left), &cost);
            Spend(left, bytes, cost);
            if (name == fileName) {
                found = std::move(script);
            }
        }
    }
    return found;
}

} // namespace keyweave
