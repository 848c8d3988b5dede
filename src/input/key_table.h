#pragma once

#include "input/key.h"

#include <string>

namespace keyweave {

// Makes a row and appends it at the end of the table.
KeyRef AppendKey(KeyList& table, const std::u16string& name, const std::u16string& scriptName,
                 std::int32_t code);

// The lookups that the keyboard table and the mouse table each offer over their own rows.
// Names match case-insensitively by display name or script name; codes match exactly; the
// first row in table order wins.
KeyRef KeyFromCode(const KeyList& table, std::int32_t code);
KeyRef KeyFromName(const KeyList& table, const std::u16string& text);
std::int32_t CodeFromName(const KeyList& table, const std::u16string& text);
std::u16string DisplayNameFromCode(const KeyList& table, std::int32_t code);
std::u16string ScriptNameFromCode(const KeyList& table, std::int32_t code);

// Start-up step: the two mouse rows (TMouse::AddKey), then the 61 keyboard rows
// (TKeyboard::Add), in the table's fixed order.
void FillKeyTable();

} // namespace keyweave
