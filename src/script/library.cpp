#include "app/program_state.h"
#include "runtime/files/files.h"
#include "runtime/strings.h"
#include "script/parser.h"
#include "script/script.h"

namespace keyweave {

int TScript::Read(const std::u16string& path) {
    DataList.clear();
    StreamRef stream = OpenForReading(path);
    if (!stream) {
        return 0;
    }
    ScriptParser parser;
    while (!stream->Eof()) {
        parser.ProcessLine(stream->ReadLine());
    }
    stream->Close();
    if (parser.HasNameLine()) {
        Name = parser.name();
    }
    DataList = parser.commands();
    return parser.IsScript() ? 1 : 0;
}

std::shared_ptr<TScript> TScript::Load(const std::u16string& path) {
    auto script = std::make_shared<TScript>();
    if (script->Read(path) != 1) {
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
ScriptRef TScript::LoadScriptsFinding(const std::u16string& fileName) {
    Program().CurrentScript = nullptr;
    Program().ScriptList.clear();
    ScriptRef found;
    for (const std::u16string& name : ListFolder(kScriptsFolder, true)) {
        std::u16string path = kScriptsFolder + name;
        if (Lower(PathExtension(name)) == u"ini" && PathKind(path) == 1) {
            ScriptRef script = Load(path);
            if (name == fileName) {
                found = std::move(script);
            }
        }
    }
    return found;
}

} // namespace keyweave
