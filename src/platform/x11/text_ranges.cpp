#include "platform/x11/text_ranges.h"

#include <algorithm>

namespace keyweave::x11 {
namespace {

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// The code unit where line `line` starts; the text's size when it has fewer lines.
int LineStart(std::u16string_view text, int line) {
    std::size_t at = 0;
    for (int i = 0; i < line; ++i) {
        std::size_t lineBreak = text.find(u'\n', at);
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
        int begin = LineStart(text, pos);
        int end = length < 0 ? size : LineStart(text, pos + length);
        return {begin, end};
    }
    int begin = std::min(pos, size);
    int end = length < 0 ? size : static_cast<int>(std::min<long long>(size, 0LL + begin + length));
    return {begin, end};
}

int CodePointsBefore(std::u16string_view text, int units) {
    units = std::clamp(units, 0, static_cast<int>(text.size()));
    int points = 0;
    for (int i = 0; i < units; ++i) {
        if (!(IsLowSurrogate(text[i]) && i > 0 && IsHighSurrogate(text[i - 1]))) {
            ++points;
        }
    }
    return points;
}

bool HasSurrogates(std::u16string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char16_t c) { return IsHighSurrogate(c) || IsLowSurrogate(c); });
}

} // namespace keyweave::x11
