#pragma once

#include "runtime/gui/combo_box_model.h"
#include "runtime/object.h"

#include <memory>
#include <string>

namespace keyweave {

enum GadgetClass {
    DesktopClass = 0,
    WindowClass = 1,
    ButtonClass = 2,
    PanelClass = 3,
    TextFieldClass = 4,
    TextAreaClass = 5,
    ComboBoxClass = 6,
    ListBoxClass = 7,
    LabelClass = 12,
};

// Window style bits.
enum WindowStyle {
    WindowTitleBar = 1,
    WindowResizable = 2,
    WindowMenu = 4,
    WindowStatusBar = 8,
    WindowTool = 16,
    WindowClientShape = 32,
    WindowHidden = 64,
    WindowAcceptFiles = 128,
    WindowCentred = 512,
};

inline constexpr int LabelCentred = 16;
inline constexpr int LabelRight = 8;
inline constexpr int TextAreaWordWrap = 1;
inline constexpr int TextAreaReadOnly = 2;
inline constexpr int ComboBoxEditable = 1;

// Text units of the text area operations.
inline constexpr int UnitCharacters = 1;
inline constexpr int UnitLines = 2;

struct Rgb {
    int r = 0;
    int g = 0;
    int b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A window or control. The base operations do nothing and return 0 or an empty text; each
// platform's gadget classes implement those that fit them. Text positions and lengths are in
// characters (a line break counts as one); a negative length means "to the end".
class TGadget : public TObject {
public:
    TGadget(int gadgetClass, int x, int y, int width, int height, int style)
        : gadgetClass(gadgetClass), xpos(x), ypos(y), width(width), height(height), style(style) {}

    const int gadgetClass;
    int xpos;
    int ypos;
    int width;
    int height;
    const int style;

    virtual int GetXPos() { return xpos; }
    virtual int GetYPos() { return ypos; }
    virtual int GetWidth() { return width; }
    virtual int GetHeight() { return height; }
    virtual int ClientWidth() { return width; }
    virtual int ClientHeight() { return height; }

    virtual void SetText(const std::u16string&) {}
    virtual std::u16string GetText() { return {}; }
    virtual void SetStatus(const std::u16string&) {}
    virtual void SetColor(Rgb) {}

    // List-type gadgets (the combo box), which keep their items in `items_` and change them
    // as they show them; other gadgets have none.
    virtual void Clear() {}
    virtual void InsertItem(int, const std::u16string&, const std::u16string&, int, ObjectRef,
                            int) {}
    virtual int ItemCount() { return items_.Count(); }
    virtual std::u16string ItemText(int index) { return items_.Text(index); }
    virtual ObjectRef ItemExtra(int index) { return items_.Extra(index); }
    // op 0 deselects, 1 selects, 2 toggles; index -1 applies op to every item in turn.
    virtual void SelectItem(int, int) {}
    virtual int SelectedItem() { return items_.Current(); }

    // Text areas.
    virtual void ReplaceText(int, int, const std::u16string&, int) {}
    virtual std::u16string AreaText(int, int, int) { return {}; }
    virtual int AreaLen(int) { return 0; }
    virtual void LockText() {}
    virtual void UnlockText() {}
    virtual void SetStyle(Rgb, int, int, int, int) {}

protected:
    ComboBoxModel items_;
};

using GadgetRef = std::shared_ptr<TGadget>;

// Creates a gadget through the platform's gadget driver; class 0 gives the desktop gadget.
GadgetRef CreateGadget(int gadgetClass, const std::u16string& text, int x, int y, int width,
                       int height, const GadgetRef& group, int style);

// A window; with style bit 512 it is centred on its group, or on the desktop without one,
// with integer division: x = (desktop width - width) / 2, y likewise.
GadgetRef CreateWindowGadget(const std::u16string& title, int x, int y, int width, int height,
                             const GadgetRef& group, int style);
GadgetRef CreateButtonGadget(const std::u16string& text, int x, int y, int width, int height,
                             const GadgetRef& group, int style);
GadgetRef CreateTextAreaGadget(int x, int y, int width, int height, const GadgetRef& group,
                               int style);
GadgetRef CreateComboBoxGadget(int x, int y, int width, int height, const GadgetRef& group,
                               int style);
GadgetRef CreateLabelGadget(const std::u16string& text, int x, int y, int width, int height,
                            const GadgetRef& group, int style);

// The desktop: its client size is the primary screen's, taken when the toolkit started.
GadgetRef DesktopGadget();

// Appends an item (InsertItem at index ItemCount()).
void AddItem(const GadgetRef& gadget, const std::u16string& text, int flags, int icon,
             const std::u16string& tip, ObjectRef extra);

// The caption of every message box.
void SetApplicationTitle(const std::u16string& title);
const std::u16string& ApplicationTitle();

// Start-up of the GUI toolkit: the desktop gadget and an empty application title.
void StartGui();

} // namespace keyweave
