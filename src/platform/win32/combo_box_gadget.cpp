#include "platform/win32/combo_box_gadget.h"

#include "platform/platform_input.h"
#include "platform/win32/wide_text.h"

#include <commctrl.h>

namespace keyweave::win32 {

namespace {

// The open list shows about this many items below the closed control.
constexpr int kListHeight = 200;

} // namespace

ComboBoxGadget::ComboBoxGadget(int x, int y, int width, int height, int style, GadgetRef group)
    : ControlGadget(ComboBoxClass, x, y, width, height, style, std::move(group)) {
    const DWORD kind = Editable() ? CBS_DROPDOWN | CBS_AUTOHSCROLL : CBS_DROPDOWNLIST;
    Create(L"COMBOBOX", u"", WS_TABSTOP | WS_VSCROLL | kind, 0, 0, height + kListHeight);
    FitSelectionField(height);
}

bool ComboBoxGadget::Editable() const {
    return (style & ComboBoxEditable) != 0;
}

// The closed control takes the gadget's height, as far as its font allows.
void ComboBoxGadget::FitSelectionField(int height) {
    RECT closed{};
    GetWindowRect(Handle(), &closed);
    const int excess = (closed.bottom - closed.top) - height;
    const auto field = static_cast<int>(SendMessageW(Handle(), CB_GETITEMHEIGHT, WPARAM(-1), 0));
    if (excess > 0 && field - excess > 0) {
        SendMessageW(Handle(), CB_SETITEMHEIGHT, WPARAM(-1), field - excess);
    }
}

void ComboBoxGadget::Command(int notification) {
    if (!Sensitive()) {
        return;
    }
    switch (notification) {
    case CBN_SELCHANGE:
        if (!quiet_) {
            const auto shown = static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0));
            const bool dropped = SendMessageW(Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
            Report(items_.SelectionChanged(shown, dropped));
        }
        break;
    case CBN_SELENDOK:
        if (!quiet_) {
            const auto shown = static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0));
            Report(items_.Pick(shown));
        }
        break;
    case CBN_SELENDCANCEL:
        Show(items_.Current());
        break;
    case CBN_EDITCHANGE:
        InputGadgetAction(*this, -1, nullptr);
        break;
    default:
        break;
    }
}

void ComboBoxGadget::Report(int picked) {
    if (picked >= 0) {
        InputGadgetAction(*this, picked, items_.Extra(picked));
    }
}

// Programmatic changes of the shown item are no picks.
void ComboBoxGadget::Show(int index) {
    quiet_ = true;
    SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    quiet_ = false;
}

void ComboBoxGadget::SetText(const std::u16string& text) {
    if (Editable()) {
        Win32Gadget::SetText(text);
        return;
    }
    cue_ = text;
    SendMessageW(Handle(), CB_SETCUEBANNER, 0, reinterpret_cast<LPARAM>(Wide(text).c_str()));
}

std::u16string ComboBoxGadget::GetText() {
    return Editable() ? Win32Gadget::GetText() : cue_;
}

void ComboBoxGadget::Clear() {
    quiet_ = true;
    SendMessageW(Handle(), CB_RESETCONTENT, 0, 0);
    quiet_ = false;
    items_.Clear();
}

void ComboBoxGadget::InsertItem(int index, const std::u16string& text, const std::u16string& tip,
                                int icon, ObjectRef extra, int flags) {
    index = items_.Insert(index, {text, tip, icon, flags, std::move(extra)});
    quiet_ = true;
    SendMessageW(Handle(), CB_INSERTSTRING, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(Wide(text).c_str()));
    quiet_ = false;
    if ((flags & 1) != 0) {
        Show(items_.Current());
    }
}

void ComboBoxGadget::SelectItem(int index, int op) {
    Show(items_.Select(index, op));
}

} // namespace keyweave::win32
