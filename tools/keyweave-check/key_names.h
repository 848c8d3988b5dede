#pragma once

#include <string>

namespace keyweave::check {

enum class NameKind { Key, Button };

// Why a key or button name of a statement finds no row of its table, and which row it
// probably meant. Empty when there is nothing to add to "unknown".
std::u16string ExplainUnknownName(const std::u16string& name, NameKind expected);

// The number of single-character insertions, deletions and substitutions that turn one text
// into the other.
std::size_t EditDistance(const std::u16string& a, const std::u16string& b);

} // namespace keyweave::check
