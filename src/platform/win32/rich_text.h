#pragma once

#include "runtime/gui/styled_text.h"

#include <string>

namespace keyweave::win32 {

// The font that a rich edit control shows its text in, as a rich text document names it.
struct RichTextFont {
    std::u16string face;
    int halfPoints = 20;
    int charset = 0;
};

// The characters of `part` with their styles as one rich text (RTF) document, for a single
// EM_STREAMIN: the font, a colour table of the styles' colours, and a paragraph mark for each
// line break. Characters that were never styled get the control's default colour (\cf0).
std::string RichTextOf(const StyledText& text, TextRange part, const RichTextFont& font);

} // namespace keyweave::win32
