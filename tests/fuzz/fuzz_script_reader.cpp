// Feeds raw bytes to the script reader, as a script file, and checks the
// invariants of what it compiles.
#include "app/program_state.h"
#include "fuzz_file.h"
#include "input/key_table.h"
#include "script/command.h"
#include "script/script.h"

#include <cstdlib>

using namespace keyweave;

namespace {

bool IsKnownCommand(const std::u16string& name) {
    static const std::u16string names[] = {
        u"KEYDOWN",         u"KEYUP",     u"MOUSEDOWN",   u"MOUSEUP", u"SLEEP", u"MOUSELOC",
        u"RESTOREMOUSELOC", u"LOCKMOUSE", u"UNLOCKMOUSE", u"STOP",    u"PAUSE"};
    for (const auto& known : names) {
        if (name == known) {
            return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string path = fuzz::WriteInput("script.ini", data, size);
    ResetProgramState();
    FillKeyTable();
    TScript script;
    const int isScript = script.Read(path);
    if (isScript != 0 && isScript != 1) {
        std::abort();
    }
    if (isScript == 0 && !script.DataList.empty()) {
        std::abort();
    }
    for (const auto& command : script.DataList) {
        if (!IsKnownCommand(command.Command())) {
            std::abort();
        }
        if (command.Command() != u"MOUSELOC" && command.Value2 != -1) {
            std::abort();
        }
    }
    if (DisplayLines(script.DataList).size() != script.DataList.size()) {
        std::abort();
    }
    return 0;
}
