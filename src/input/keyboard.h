#pragma once

#include "input/key.h"

#include <string>

namespace keyweave {

// The keyboard: its key table, the poll of held keys and the injection of key transitions.
class TKeyboard {
public:
    static KeyRef Add(const std::u16string& name, const std::u16string& scriptName,
                      std::int32_t code);
    static KeyRef ReturnTKeyFromInt(std::int32_t code);
    static KeyRef ReturnTKeyFromString(const std::u16string& text);
    static std::int32_t ReturnIntFromString(const std::u16string& text);
    static std::u16string ReturnNameFromInt(std::int32_t code);
    static std::u16string ReturnScriptNameFromInt(std::int32_t code);

    // Polls the held keys (codes 32..255 with a table row) into DownList, HitList and
    // ReleasedList.
    static int Update();
    // Presses / releases a key and records it in InjectedList.
    static int Down(std::int32_t code);
    static int Up(std::int32_t code);
    // Releases every key that the program pressed and has not released.
    static int Flush();
};

} // namespace keyweave
