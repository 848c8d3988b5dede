#pragma once

#include <string>
#include <string_view>

namespace keyweave::win32 {

// UTF-16 texts of the core as the system's wide strings, and back (wchar_t is 16 bits wide on
// Windows: the code units pass unchanged).
inline std::wstring Wide(std::u16string_view text) {
    return std::wstring(text.begin(), text.end());
}

inline std::u16string FromWide(std::wstring_view text) {
    return std::u16string(text.begin(), text.end());
}

// The text of a rich edit range: paragraph breaks come as carriage returns, and each one is
// returned as a line feed.
inline std::u16string WithLineFeeds(std::wstring_view text) {
    std::u16string result = FromWide(text);
    for (char16_t& c : result) {
        if (c == u'\r') {
            c = u'\n';
        }
    }
    return result;
}

} // namespace keyweave::win32
