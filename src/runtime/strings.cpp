#include "runtime/strings.h"

namespace keyweave {

namespace {

bool IsLatinExtendedAPairUpper(char16_t c) {
    // Latin Extended-A alternates upper and lower case, starting upper at even codes
    // from U+0100 and, after the break around U+0138, at odd codes from U+0139 to U+0148.
    if (c >= 0x0100 && c <= 0x0137) {
        return c % 2 == 0;
    }
    if (c >= 0x0139 && c <= 0x0148) {
        return c % 2 == 1;
    }
    if (c >= 0x014A && c <= 0x0177) {
        return c % 2 == 0;
    }
    if (c >= 0x0179 && c <= 0x017E) {
        return c % 2 == 1;
    }
    return false;
}

bool IsLatinExtendedAPaired(char16_t c) {
    return (c >= 0x0100 && c <= 0x0137) || (c >= 0x0139 && c <= 0x0148) ||
           (c >= 0x014A && c <= 0x0177) || (c >= 0x0179 && c <= 0x017E);
}

} // namespace

char16_t UpperChar(char16_t c) {
    if (c >= u'a' && c <= u'z') {
        return c - 32;
    }
    if (c < 0x80) {
        return c;
    }
    if ((c >= 0x00E0 && c <= 0x00FE && c != 0x00F7)) {
        return c - 32;
    }
    if (c == 0x00FF) {
        return 0x0178;
    }
    if (IsLatinExtendedAPaired(c)) {
        return IsLatinExtendedAPairUpper(c) ? c : c - 1;
    }
    if (c >= 0x03B1 && c <= 0x03C9 && c != 0x03C2) {
        return c - 32;
    }
    if (c == 0x03C2) {
        return 0x03A3;
    }
    if (c >= 0x0430 && c <= 0x044F) {
        return c - 32;
    }
    if (c >= 0x0450 && c <= 0x045F) {
        return c - 80;
    }
    return c;
}

char16_t LowerChar(char16_t c) {
    if (c >= u'A' && c <= u'Z') {
        return c + 32;
    }
    if (c < 0x80) {
        return c;
    }
    if (c >= 0x00C0 && c <= 0x00DE && c != 0x00D7) {
        return c + 32;
    }
    if (c == 0x0178) {
        return 0x00FF;
    }
    if (IsLatinExtendedAPaired(c)) {
        return IsLatinExtendedAPairUpper(c) ? c + 1 : c;
    }
    if (c >= 0x0391 && c <= 0x03A9 && c != 0x03A2) {
        return c + 32;
    }
    if (c >= 0x0410 && c <= 0x042F) {
        return c + 32;
    }
    if (c >= 0x0400 && c <= 0x040F) {
        return c + 80;
    }
    return c;
}

std::u16string Upper(std::u16string_view text) {
    std::u16string result(text);
    for (char16_t& c : result) {
        c = UpperChar(c);
    }
    return result;
}

std::u16string Lower(std::u16string_view text) {
    std::u16string result(text);
    for (char16_t& c : result) {
        c = LowerChar(c);
    }
    return result;
}

std::u16string Trim(std::u16string_view text) {
    return std::u16string(TrimmedView(text));
}

std::u16string_view TrimmedView(std::u16string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && text[begin] <= 32) {
        ++begin;
    }
    while (end > begin && text[end - 1] <= 32) {
        --end;
    }
    return text.substr(begin, end - begin);
}

std::u16string DecimalText(std::int64_t value) {
    std::u16string digits;
    std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) {
        digits.insert(digits.begin(), u'-');
    }
    return digits;
}

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int length = lead < 0x80                   ? 1
                     : lead >= 0xF0 && lead < 0xF5 ? 4
                     : lead >= 0xE0                ? 3
                     : lead >= 0xC2 && lead < 0xE0 ? 2
                                                   : 0;
        char32_t c = length == 1   ? lead
                     : length == 2 ? lead & 0x1F
                     : length == 3 ? lead & 0x0F
                                   : lead & 0x07;
        bool valid = length != 0 && i + length <= text.size();
        for (int k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        valid = valid && !(length == 3 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) &&
                !(length == 4 && (c < 0x10000 || c > 0x10FFFF));
        if (!valid) {
            out += u'\uFFFD';
            ++i;
            continue;
        }
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += length;
    }
    return out;
}

} // namespace keyweave
