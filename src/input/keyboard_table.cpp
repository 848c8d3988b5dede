#include "app/program_state.h"
#include "input/key_table.h"
#include "input/keyboard.h"

namespace keyweave {

KeyRef TKeyboard::Add(const std::u16string& name, const std::u16string& scriptName,
                      std::int32_t code) {
    return AppendKey(Program().KeyboardKeyList, name, scriptName, code);
}

KeyRef TKeyboard::ReturnTKeyFromInt(std::int32_t code) {
    return KeyFromCode(Program().KeyboardKeyList, code);
}

KeyRef TKeyboard::ReturnTKeyFromString(const std::u16string& text) {
    return KeyFromName(Program().KeyboardKeyList, text);
}

std::int32_t TKeyboard::ReturnIntFromString(const std::u16string& text) {
    return CodeFromName(Program().KeyboardKeyList, text);
}

std::u16string TKeyboard::ReturnNameFromInt(std::int32_t code) {
    return DisplayNameFromCode(Program().KeyboardKeyList, code);
}

std::u16string TKeyboard::ReturnScriptNameFromInt(std::int32_t code) {
    return ScriptNameFromCode(Program().KeyboardKeyList, code);
}

} // namespace keyweave
