#include "platform/win32/rich_text.h"

#include <algorithm>

namespace keyweave::win32 {

namespace {

// A character of the document: the three that RTF reserves escaped, tabs and line breaks as
// control words, and everything outside printable ASCII as a Unicode escape (a surrogate pair
// as two), with "?" for readers that know no Unicode.
void AppendCharacter(std::string& rtf, char16_t c) {
    if (c == u'\\' || c == u'{' || c == u'}') {
        rtf += '\\';
        rtf += static_cast<char>(c);
    } else if (c == u'\n') {
        rtf += "\\par\n";
    } else if (c == u'\t') {
        rtf += "\\tab ";
    } else if (c >= 0x20 && c < 0x7F) {
        rtf += static_cast<char>(c);
    } else {
        rtf += "\\u" + std::to_string(static_cast<std::int16_t>(c)) + "?";
    }
}

void AppendFlag(std::string& rtf, int flags, int was, int flag, const char* on, const char* off) {
    if ((flags & flag) != (was & flag)) {
        rtf += (flags & flag) != 0 ? on : off;
    }
}

} // namespace

std::string RichTextOf(const StyledText& text, TextRange part, const RichTextFont& font) {
    std::vector<Rgb> colours;
    for (const TextStyle& style : text.Styles()) {
        if (std::find(colours.begin(), colours.end(), style.colour) == colours.end()) {
            colours.push_back(style.colour);
        }
    }
    std::string rtf = "{\\rtf1\\ansi\\deff0\\uc1{\\fonttbl{\\f0\\fnil\\fcharset" +
                      std::to_string(font.charset) + " ";
    for (const char16_t c : font.face) {
        AppendCharacter(rtf, c);
    }
    rtf += ";}}{\\colortbl ;";
    for (const Rgb& colour : colours) {
        rtf += "\\red" + std::to_string(colour.r) + "\\green" + std::to_string(colour.g) +
               "\\blue" + std::to_string(colour.b) + ";";
    }
    rtf += "}\\pard\\plain\\f0\\fs" + std::to_string(font.halfPoints) + " ";
    rtf.reserve(rtf.size() + static_cast<std::size_t>(std::max(part.end - part.begin, 0)) * 2);

    std::size_t colourIndex = 0;
    int flags = 0;
    for (const StyledText::Run& run : text.Runs(part)) {
        const TextStyle plain{};
        const TextStyle& style = run.style != nullptr ? *run.style : plain;
        const std::size_t index =
            run.style == nullptr
                ? 0
                : static_cast<std::size_t>(std::find(colours.begin(), colours.end(), style.colour) -
                                           colours.begin()) +
                      1;
        const std::size_t before = rtf.size();
        if (index != colourIndex) {
            rtf += "\\cf" + std::to_string(index);
            colourIndex = index;
        }
        AppendFlag(rtf, style.flags, flags, TextBold, "\\b", "\\b0");
        AppendFlag(rtf, style.flags, flags, TextItalic, "\\i", "\\i0");
        AppendFlag(rtf, style.flags, flags, TextUnderline, "\\ul", "\\ulnone");
        AppendFlag(rtf, style.flags, flags, TextStrikeThrough, "\\strike", "\\strike0");
        flags = style.flags;
        if (rtf.size() != before) {
            rtf += ' ';
        }
        for (int at = run.begin; at < run.end; ++at) {
            AppendCharacter(rtf, text.Text()[static_cast<std::size_t>(at)]);
        }
    }
    rtf += "}";
    return rtf;
}

} // namespace keyweave::win32
