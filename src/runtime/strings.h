#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace keyweave {

// Upper- and lower-casing of UTF-16 text, one code unit to one code unit: ASCII letters, and
// the letters of Latin-1, Latin Extended-A, Greek and Cyrillic. Other code units are unchanged.
char16_t UpperChar(char16_t c);
char16_t LowerChar(char16_t c);
std::u16string Upper(std::u16string_view text);
std::u16string Lower(std::u16string_view text);

// Removes every character of code 32 or less from both ends.
std::u16string Trim(std::u16string_view text);
// The same, as a view of `text`.
std::u16string_view TrimmedView(std::u16string_view text);

// Signed decimal text of a number, with a leading "-" when negative.
std::u16string DecimalText(std::int64_t value);

// Conversions at the platform boundaries. Invalid sequences become U+FFFD.
std::string ToUtf8(std::u16string_view text);
std::u16string FromUtf8(std::string_view text);

} // namespace keyweave
