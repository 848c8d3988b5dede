#include "platform/win32/text_area_gadget.h"

#include "platform/win32/callback_guard.h"
#include "platform/win32/performance_clock.h"
#include "platform/win32/rich_text.h"
#include "platform/win32/wide_text.h"

#include <algorithm>

namespace keyweave::win32 {

namespace {

struct StreamSource {
    const std::string* text;
    std::size_t done;
};

DWORD CALLBACK ReadStream(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    const std::size_t count =
        std::min(static_cast<std::size_t>(wanted), source->text->size() - source->done);
    std::copy_n(source->text->data() + source->done, count, buffer);
    source->done += count;
    *given = static_cast<LONG>(count);
    return 0;
}

// A stretch follows the previous one only kStretchGapMs after it went in, so that the pump,
// which takes every message that is due, streams one stretch, not all of them.
constexpr UINT_PTR kStreamTimer = 1;
constexpr double kStretchGapMs = 10;

void CALLBACK OnStreamTimer(HWND control, UINT, UINT_PTR, DWORD) {
    if (auto* area = dynamic_cast<TextAreaGadget*>(Win32Gadget::FromHandle(control))) {
        RunGuarded([area] { area->StreamMore(); });
    }
}

RichTextFont DefaultFont(HWND control) {
    CHARFORMAT2W format{};
    format.cbSize = sizeof(format);
    SendMessageW(control, EM_GETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    // Heights are in twips, RTF font sizes in half points.
    return {FromWide(format.szFaceName), std::max(1, static_cast<int>(format.yHeight + 5) / 10),
            format.bCharSet};
}

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
    if ((flags & TextBold) != 0) {
        effects |= CFE_BOLD;
    }
    if ((flags & TextItalic) != 0) {
        effects |= CFE_ITALIC;
    }
    if ((flags & TextUnderline) != 0) {
        effects |= CFE_UNDERLINE;
    }
    if ((flags & TextStrikeThrough) != 0) {
        effects |= CFE_STRIKEOUT;
    }
    return effects;
}

} // namespace

TextAreaGadget::TextAreaGadget(int x, int y, int width, int height, int style, GadgetRef group)
    : ControlGadget(TextAreaClass, x, y, width, height, style, std::move(group)) {
    CreateControl();
}

HWND TextAreaGadget::CreateControl() {
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
    if (background_) {
        SendMessageW(handle, EM_SETBKGNDCOLOR, 0,
                     RGB(background_->r, background_->g, background_->b));
    }
    return handle;
}

void TextAreaGadget::SetText(const std::u16string& text) {
    ReplaceText(0, -1, text, UnitCharacters);
}

std::u16string TextAreaGadget::GetText() {
    return AreaText(0, -1, UnitCharacters);
}

void TextAreaGadget::SetColor(Rgb colour) {
    background_ = colour;
    SendMessageW(Handle(), EM_SETBKGNDCOLOR, 0, RGB(colour.r, colour.g, colour.b));
}

const StyledText* TextAreaGadget::Copy() const {
    if (pending_) {
        return &*pending_;
    }
    return streaming_ ? &streaming_->Styled() : nullptr;
}

int TextAreaGadget::Length() {
    if (const StyledText* copy = Copy()) {
        return static_cast<int>(copy->Text().size());
    }
    GETTEXTLENGTHEX query{GTL_NUMCHARS | GTL_PRECISE, 1200};
    return static_cast<int>(
        SendMessageW(Handle(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
}

CHARRANGE TextAreaGadget::Range(int pos, int length, int units) {
    if (const StyledText* copy = Copy()) {
        const TextRange range = RangeOf(copy->Text(), pos, length, units == UnitLines);
        return {range.begin, range.end};
    }
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
    if (pending_) {
        return pendingSelection_;
    }
    CHARRANGE range{};
    SendMessageW(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range;
}

void TextAreaGadget::Select(CHARRANGE range) {
    if (pending_) {
        const LONG length = Length();
        pendingSelection_ = {std::clamp(range.cpMin, LONG{0}, length),
                             std::clamp(range.cpMax, LONG{0}, length)};
    } else if (streaming_ && std::max(range.cpMin, range.cpMax) > streaming_->Sent()) {
        StreamRest();
    }
    SendMessageW(Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

void TextAreaGadget::ReplaceText(int pos, int length, const std::u16string& text, int units) {
    const CHARRANGE range = Range(pos, length, units);
    if (range.cpMin == 0 && range.cpMax == Length()) {
        pending_.emplace(NormaliseLineBreaks(text));
        streaming_.reset();
        const auto end = static_cast<LONG>(pending_->Text().size());
        pendingSelection_ = {end, end};
        if (locks_.empty()) {
            Flush();
            Select(pendingSelection_);
        }
        return;
    }
    Flush();
    StreamRest();
    Select(range);
    SendMessageW(Handle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

std::u16string TextAreaGadget::AreaText(int pos, int length, int units) {
    const CHARRANGE range = Range(pos, length, units);
    if (const StyledText* copy = Copy()) {
        return copy->Text().substr(static_cast<std::size_t>(range.cpMin),
                                   static_cast<std::size_t>(range.cpMax - range.cpMin));
    }
    std::wstring text(static_cast<std::size_t>(range.cpMax - range.cpMin) + 1, L'\0');
    TEXTRANGEW request{range, text.data()};
    const auto copied =
        SendMessageW(Handle(), EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&request));
    text.resize(static_cast<std::size_t>(std::max<LRESULT>(copied, 0)));
    return WithLineFeeds(text);
}

int TextAreaGadget::AreaLen(int units) {
    if (units != UnitLines) {
        return Length();
    }
    if (const StyledText* copy = Copy()) {
        const std::u16string& text = copy->Text();
        return static_cast<int>(std::count(text.begin(), text.end(), u'\n')) + 1;
    }
    return static_cast<int>(SendMessageW(Handle(), EM_GETLINECOUNT, 0, 0));
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
    const CHARRANGE kept = locks_.back();
    locks_.pop_back();
    if (locks_.empty()) {
        Flush();
    }
    Select(kept);
    if (locks_.empty()) {
        SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
        InvalidateRect(Handle(), nullptr, TRUE);
    }
}

// Rich edit controls delete a long text paragraph by paragraph, and Wine's take seconds for a
// few thousand: a fresh control, put in the old one's place in the tab order, is emptied at
// once.
void TextAreaGadget::Flush() {
    if (!pending_) {
        return;
    }
    streaming_.emplace(std::move(*pending_));
    pending_.reset();
    HWND old = Handle();
    const bool focused = GetFocus() == old;
    HWND control = CreateControl();
    SendMessageW(control, WM_SETREDRAW, FALSE, 0);
    SetWindowPos(control, old, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Discard(old);
    if (focused) {
        SetFocus(control);
    }
    Stream(streaming_->NextStretch());
    streamedAt_ = NowMs();
    if (streaming_) {
        SetTimer(control, kStreamTimer, USER_TIMER_MINIMUM, OnStreamTimer);
    }
    if (locks_.empty()) {
        SendMessageW(control, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(control, nullptr, TRUE);
    }
}

void TextAreaGadget::StreamRest() {
    if (streaming_) {
        Stream(streaming_->Rest());
    }
}

void TextAreaGadget::Stream(TextRange part) {
    const std::string rtf = RichTextOf(streaming_->Styled(), part, DefaultFont(Handle()));
    StreamSource source{&rtf, 0};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0, ReadStream};
    CHARRANGE tail{part.begin, part.begin};
    SendMessageW(Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&tail));
    SendMessageW(Handle(), EM_STREAMIN, SF_RTF | SFF_SELECTION, reinterpret_cast<LPARAM>(&stream));
    // The last paragraph mark of a stream at the end becomes the control's own final one,
    // which counts as no character: a stretch that ends with a line break gets it back.
    GETTEXTLENGTHEX query{GTL_NUMCHARS | GTL_PRECISE, 1200};
    const auto inControl = static_cast<int>(
        SendMessageW(Handle(), EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
    if (inControl == part.end - 1) {
        CHARRANGE last{part.end - 1, part.end - 1};
        SendMessageW(Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&last));
        SendMessageW(Handle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L"\r"));
    }
    if (streaming_->AllSent()) {
        KillTimer(Handle(), kStreamTimer);
        streaming_.reset();
    }
}

// The caret, the selection and the scroll position stay as the user left them.
void TextAreaGadget::StreamMore() {
    if (!streaming_ || !locks_.empty() || NowMs() - streamedAt_ < kStretchGapMs) {
        return;
    }
    CHARRANGE selection{};
    SendMessageW(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    POINT scroll{};
    SendMessageW(Handle(), EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
    Stream(streaming_->NextStretch());
    SendMessageW(Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    SendMessageW(Handle(), EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(Handle(), nullptr, TRUE);
    streamedAt_ = NowMs();
}

void TextAreaGadget::SetStyle(Rgb colour, int flags, int pos, int length, int units) {
    const CHARRANGE range = Range(pos, length, units);
    if (range.cpMax <= range.cpMin) {
        return;
    }
    if (pending_) {
        pending_->SetStyle({range.cpMin, range.cpMax}, {colour, flags & 15});
        return;
    }
    StreamRest();
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
