#include "app/program_state.h"
#include "input/key_table.h"
#include "input/mouse.h"

namespace keyweave {

KeyRef TMouse::AddKey(const std::u16string& name, const std::u16string& scriptName,
                      std::int32_t code) {
    return AppendKey(Program().MouseKeyList, name, scriptName, code);
}

KeyRef TMouse::ReturnTKeyFromInt(std::int32_t code) {
    return KeyFromCode(Program().MouseKeyList, code);
}

KeyRef TMouse::ReturnTKeyFromString(const std::u16string& text) {
    return KeyFromName(Program().MouseKeyList, text);
}

std::int32_t TMouse::ReturnIntFromString(const std::u16string& text) {
    return CodeFromName(Program().MouseKeyList, text);
}

std::u16string TMouse::ReturnNameFromInt(std::int32_t code) {
    return DisplayNameFromCode(Program().MouseKeyList, code);
}

std::u16string TMouse::ReturnScriptNameFromInt(std::int32_t code) {
    return ScriptNameFromCode(Program().MouseKeyList, code);
}

} // namespace keyweave
