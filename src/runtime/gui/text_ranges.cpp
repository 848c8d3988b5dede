#include "runtime/gui/text_ranges.h"

#include <algorithm>

namespace keyweave {

namespace {

// The code unit where line `line` starts; the text's size when it has fewer lines.
int LineStart(std::u16string_view text, long long line) {
    std::size_t at = 0;
    for (long long i = 0; i < line; ++i) {
        const std::size_t lineBreak = text.find(u'\n', at);
        if (lineBreak == std::u16string_view::npos) {
            return static_cast<int>(text.size());
        }
        at = lineBreak + 1;
    }
    return static_cast<int>(at);
}

} // namespace

std::u16string NormaliseLineBreaks(std::u16string_view text) {
    std::u16string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != u'\r') {
            result += text[i];
        } else if (i + 1 >= text.size() || text[i + 1] != u'\n') {
            result += u'\n';
        }
    }
    return result;
}

TextRange RangeOf(std::u16string_view text, int pos, int length, bool lines) {
    const int size = static_cast<int>(text.size());
    pos = std::max(pos, 0);
    if (lines) {
        const int begin = LineStart(text, pos);
        const int end = length < 0 ? size : LineStart(text, 0LL + pos + length);
        return {begin, end};
    }
    const int begin = std::min(pos, size);
    const int end =
        length < 0 ? size : static_cast<int>(std::min<long long>(size, 0LL + begin + length));
    return {begin, end};
}

} // namespace keyweave
