#include "platform/win32/win32_gadget.h"

#include "platform/platform_input.h"
#include "platform/win32/wide_text.h"

#include <stdexcept>
#include <utility>

namespace keyweave::win32 {

namespace {

const wchar_t* const kGadgetProperty = L"Keyweave.Gadget";

// Control ids 1 and 2 are IDOK and IDCANCEL, which the dialog keys send: other controls
// get ids from here on.
int nextControlId = 100;

} // namespace

HFONT GuiFont() {
    static HFONT font = [] {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof(metrics);
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
            if (HFONT message = CreateFontIndirectW(&metrics.lfMessageFont)) {
                return message;
            }
        }
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }();
    return font;
}

Win32Gadget::Win32Gadget(int gadgetClass, int x, int y, int width, int height, int style)
    : TGadget(gadgetClass, x, y, width, height, style) {}

// The window is detached before it is destroyed, so that what it reports on the way out
// reaches no gadget.
Win32Gadget::~Win32Gadget() {
    sensitive_ = false;
    if (HWND handle = std::exchange(handle_, nullptr)) {
        RemovePropW(handle, kGadgetProperty);
        DestroyWindow(handle);
    }
    if (background_ != nullptr) {
        DeleteObject(background_);
    }
}

Win32Gadget* Win32Gadget::FromHandle(HWND handle) {
    return static_cast<Win32Gadget*>(GetPropW(handle, kGadgetProperty));
}

void Win32Gadget::Attach(HWND handle) {
    handle_ = handle;
    SetPropW(handle, kGadgetProperty, this);
}

void Win32Gadget::Discard(HWND window) {
    RemovePropW(window, kGadgetProperty);
    DestroyWindow(window);
}

void Win32Gadget::SetBackground(Rgb colour) {
    if (background_ != nullptr) {
        DeleteObject(background_);
    }
    background_ = CreateSolidBrush(RGB(colour.r, colour.g, colour.b));
    InvalidateRect(handle_, nullptr, TRUE);
}

void Win32Gadget::SetText(const std::u16string& text) {
    SetWindowTextW(handle_, Wide(text).c_str());
}

std::u16string Win32Gadget::GetText() {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(handle_)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(handle_, text.data(), static_cast<int>(text.size()))));
    return FromWide(text);
}

ControlGadget::ControlGadget(int gadgetClass, int x, int y, int width, int height, int style,
                             GadgetRef group)
    : Win32Gadget(gadgetClass, x, y, width, height, style), group_(std::move(group)) {}

HWND ControlGadget::Create(const wchar_t* windowClass, const std::u16string& text, DWORD style,
                           DWORD exStyle, int id, int height) {
    auto* parent = dynamic_cast<Win32Gadget*>(group_.get());
    if (parent == nullptr) {
        throw std::invalid_argument("A control needs a window as its group");
    }
    if (id == 0) {
        id = nextControlId++;
    }
    HWND handle =
        CreateWindowExW(exStyle, windowClass, Wide(text).c_str(), WS_CHILD | WS_VISIBLE | style,
                        xpos, ypos, width, height, parent->Handle(),
                        reinterpret_cast<HMENU>(INT_PTR{id}), GetModuleHandleW(nullptr), nullptr);
    if (handle == nullptr) {
        throw std::runtime_error("The system could not create a control");
    }
    Attach(handle);
    SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(GuiFont()), TRUE);
    return handle;
}

LabelGadget::LabelGadget(const std::u16string& text, int x, int y, int width, int height, int style,
                         GadgetRef group)
    : ControlGadget(LabelClass, x, y, width, height, style, std::move(group)) {
    DWORD controlStyle = SS_NOPREFIX;
    if ((style & LabelCentred) != 0) {
        controlStyle |= SS_CENTER;
    } else if ((style & LabelRight) != 0) {
        controlStyle |= SS_RIGHT;
    }
    switch (style & 7) {
    case 1:
        controlStyle |= WS_BORDER;
        break;
    case 2:
        controlStyle |= SS_SUNKEN;
        break;
    case 3:
        controlStyle |= SS_ETCHEDHORZ;
        break;
    default:
        break;
    }
    Create(L"STATIC", text, controlStyle, 0, 0, height);
}

void LabelGadget::SetColor(Rgb colour) {
    SetBackground(colour);
}

namespace {

constexpr int kCheckBox = 2;
constexpr int kRadioButton = 3;
constexpr int kDefaultButton = 4;
constexpr int kCancelButton = 5;
constexpr int kPushLike = 8;

DWORD ButtonStyle(int style) {
    switch (style & 7) {
    case kCheckBox:
        return BS_AUTO3STATE | ((style & kPushLike) != 0 ? BS_PUSHLIKE : 0);
    case kRadioButton:
        return BS_AUTORADIOBUTTON | ((style & kPushLike) != 0 ? BS_PUSHLIKE : 0);
    case kDefaultButton:
        return BS_DEFPUSHBUTTON;
    default:
        return BS_PUSHBUTTON;
    }
}

int ButtonId(int style) {
    switch (style & 7) {
    case kDefaultButton:
        return IDOK;
    case kCancelButton:
        return IDCANCEL;
    default:
        return 0;
    }
}

} // namespace

ButtonGadget::ButtonGadget(const std::u16string& text, int x, int y, int width, int height,
                           int style, GadgetRef group)
    : ControlGadget(ButtonClass, x, y, width, height, style, std::move(group)) {
    Create(L"BUTTON", text, WS_TABSTOP | ButtonStyle(style), 0, ButtonId(style), height);
}

void ButtonGadget::Command(int notification) {
    if (notification != BN_CLICKED || !Sensitive()) {
        return;
    }
    const int kind = style & 7;
    int state = 0;
    if (kind == kCheckBox || kind == kRadioButton) {
        state = static_cast<int>(SendMessageW(Handle(), BM_GETCHECK, 0, 0));
    }
    InputGadgetAction(*this, state, nullptr);
}

} // namespace keyweave::win32
