// Feeds raw bytes to the settings reader as settings.ini, and checks that only rows of the
// keyboard table are bound and that saving and loading again keeps the binding.
#include "app/app.h"
#include "app/program_state.h"
#include "fuzz_file.h"
#include "input/key_table.h"
#include "runtime/list.h"

#include <cstdlib>

using namespace keyweave;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string path = fuzz::WriteInput("settings.ini", data, size);
    ResetProgramState();
    Program().SettingsPath = path;
    FillKeyTable();
    TApp::LoadSettings();
    const KeyList loaded = Program().BindList;
    for (const auto& key : loaded) {
        if (!Contains(Program().KeyboardKeyList, key)) {
            std::abort();
        }
    }
    TApp::SaveSettings();
    Program().BindList.clear();
    TApp::LoadSettings();
    if (Program().BindList != loaded) {
        std::abort();
    }
    return 0;
}
