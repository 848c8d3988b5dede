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

// Only files ending in ".ini" (any case) are candidates; whether one is a script is decided
// by its header when it is read.
int TScript::LoadScripts() {
    Program().CurrentScript = nullptr;
    Program().ScriptList.clear();
    for (const std::u16string& name : ListFolder(kScriptsFolder, true)) {
        std::u16string path = kScriptsFolder + name;
        if (Lower(PathExtension(name)) == u"ini" && PathKind(path) == 1) {
            Load(path);
        }
    }
    return 0;
}

} // namespace keyweave
