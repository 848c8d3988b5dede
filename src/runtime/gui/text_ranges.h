#pragma once

#include <string>
#include <string_view>

namespace keyweave {

// A range of a text area's text in UTF-16 code units, which is how the core counts characters.
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

} // namespace keyweave
