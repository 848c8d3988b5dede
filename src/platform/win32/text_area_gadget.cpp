#include "platform/win32/text_area_gadget.h"

#include "platform/win32/wide_text.h"

#include <algorithm>

namespace keyweave::win32 {

namespace {

constexpr int kBold = 1;
constexpr int kItalic = 2;
constexpr int kUnderline = 4;
constexpr int kStrikeOut = 8;

// The rich edit class of msftedit.dll where it could be loaded, else that of riched20.dll.
const wchar_t* RichEditClass() {
    static const wchar_t* const name = [] {
        if (LoadLibraryW(L"msftedit.dll") != nullptr) {
            return MSFTEDIT_CLASS;
        }
        LoadLibraryW(L"riched20.dll");
        return RICHEDIT_CLASSW;
    }();
    return name;
}

DWORD Effects(int flags) {
    DWORD effects = 0;
    if ((flags & kBold) != 0) {
        effects |= CFE_BOLD;
    }
    if ((flags & kItalic) != 0) {
        effects |= CFE_ITALIC;
    }
    if ((flags & kUnderline) != 0) {
        effects |= CFE_UNDERLINE;
    }
    if ((flags & kStrikeOut) != 0) {
        effects |= CFE_STRIKEOUT;
    }
    return effects;
}

} // namespace

TextAreaGadget::TextAreaGadget(int x, int y, int width, int height, int style, GadgetRef group)
    : ControlGadget(TextAreaClass, x, y, width, height, style, std::move(group)) {
    DWORD controlStyle = WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL;
    const bool wrap = (style & TextAreaWordWrap) != 0;
    if (!wrap) {
        controlStyle |= WS_HSCROLL | ES_AUTOHSCROLL;
    }
    if ((style & TextAreaReadOnly) != 0) {
        controlStyle |= ES_READONLY;
    }
    HWND handle = Create(RichEditClass(), u"", controlStyle, WS_EX_CLIENTEDGE, 0, height);
    SendMessageW(handle, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    // A line width of 1 turns word wrap off; 0 wraps at the window's edge.
    SendMessageW(handle, EM_SETTARGETDEVICE, 0, wrap ? 0 : 1);
}

void TextAreaGadget::SetText(const std::u16string& text) {
    ReplaceText(0, -1, text, UnitCharacters);
}

std::u16string TextAreaGadget::GetText() {
    return AreaText(0, -1, UnitCharacters);
}

void TextAreaGadget::SetColor(Rgb colour) {
    SendMessageW(Handle(), EM_SETBKGNDCOLOR, 0, RGB(colour.r, colour.g, colour.b));
}

int TextAreaGadget::Length() {
    GETTEXTLENGTHEX query{GTL_NUMCHARS | GTL_PRECISE, 1200};
    return static_cast<int>(
        SendMessageW(Handle(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
}

CHARRANGE TextAreaGadget::Range(int pos, int length, int units) {
    const int total = Length();
    auto toCharacters = [&](int position) {
        if (units != UnitLines) {
            return position;
        }
        const auto start = static_cast<int>(
            SendMessageW(Handle(), EM_LINEINDEX, static_cast<WPARAM>(position), 0));
        return start < 0 ? total : start;
    };
    const int start = std::clamp(toCharacters(std::max(pos, 0)), 0, total);
    int end = total;
    if (length >= 0) {
        end = units == UnitLines ? toCharacters(std::max(pos, 0) + length) : start + length;
    }
    return {start, std::clamp(end, start, total)};
}

CHARRANGE TextAreaGadget::Selection() {
    CHARRANGE range{};
    SendMessageW(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range;
}

void TextAreaGadget::Select(CHARRANGE range) {
    SendMessageW(Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

void TextAreaGadget::ReplaceText(int pos, int length, const std::u16string& text, int units) {
    Select(Range(pos, length, units));
    SendMessageW(Handle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

std::u16string TextAreaGadget::AreaText(int pos, int length, int units) {
    const CHARRANGE range = Range(pos, length, units);
    std::wstring text(static_cast<std::size_t>(range.cpMax - range.cpMin) + 1, L'\0');
    TEXTRANGEW request{range, text.data()};
    const auto copied =
        SendMessageW(Handle(), EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&request));
    text.resize(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)));
    return WithLineFeeds(text);
}

int TextAreaGadget::AreaLen(int units) {
    if (units == UnitLines) {
        return static_cast<int>(SendMessageW(Handle(), EM_GETLINECOUNT, 0, 0));
    }
    return Length();
}

void TextAreaGadget::LockText() {
    if (locks_.empty()) {
        SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
    }
    locks_.push_back(Selection());
}

void TextAreaGadget::UnlockText() {
    if (locks_.empty()) {
        return;
    }
    Select(locks_.back());
    locks_.pop_back();
    if (locks_.empty()) {
        SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
        InvalidateRect(Handle(), nullptr, TRUE);
    }
}

void TextAreaGadget::SetStyle(Rgb colour, int flags, int pos, int length, int units) {
    const CHARRANGE range = Range(pos, length, units);
    if (range.cpMax <= range.cpMin) {
        return;
    }
    const CHARRANGE kept = Selection();
    Select(range);
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT;
    format.dwEffects = Effects(flags);
    format.crTextColor = RGB(colour.r, colour.g, colour.b);
    SendMessageW(Handle(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    Select(kept);
}

} // namespace keyweave::win32
