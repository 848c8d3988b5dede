#pragma once

#include <string>
#include <string_view>

namespace keyweave::x11 {

// A range of a text in UTF-16 code units, as the core counts characters.
struct TextRange {
    int begin = 0;
    int end = 0;
};

// Line breaks as a text area keeps them: CR LF and a lone CR become LF, so that a line break is
// always one character.
std::u16string NormaliseLineBreaks(std::u16string_view text);

// The range of `length` characters from `pos` (a negative length: to the end), clipped to the
// text. With `lines` set, `pos` and `length` count lines instead; a line includes its break.
TextRange RangeOf(std::u16string_view text, int pos, int length, bool lines);

// The number of code points before `units` code units of the text: how far a position is in
// a toolkit that counts characters (a surrogate pair is one character there).
int CodePointsBefore(std::u16string_view text, int units);

// Whether the text has surrogate pairs, so that code units and code points differ.
bool HasSurrogates(std::u16string_view text);

} // namespace keyweave::x11
