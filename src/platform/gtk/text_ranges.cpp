#include "platform/gtk/text_ranges.h"

#include <algorithm>

namespace keyweave::gtk {
namespace {

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

} // namespace

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

} // namespace keyweave::gtk
