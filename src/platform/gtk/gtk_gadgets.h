#pragma once

#include "platform/mouse_device.h"
#include "runtime/gui/gadget.h"

#include <string>

typedef struct _GtkWidget GtkWidget;

namespace keyweave::gtk {

// A gadget realised as a GTK widget. Widgets live as long as their gadgets, which the program
// keeps until it ends. Every method that changes a widget reports MainContextChanged: GTK
// queues the layout and drawing that follow as sources of the main context.
class GtkGadget : public TGadget {
public:
    GtkGadget(int gadgetClass, int x, int y, int width, int height, int style, GtkWidget* widget);

    GtkWidget* Widget() const { return widget_; }

protected:
    GtkWidget* widget_;
};

// Whether another client destroyed a top-level window of this program. From then on the program
// is ending, and the X errors about that window and its children are expected.
bool ATopLevelWasDestroyedByAnotherClient();

// A top-level window: a fixed-layout client area of the given size, and a status bar below it
// with style bit 8. Its close box raises WindowClose and leaves the window open; its
// destruction by another client is a close request of the door. Its position counts from
// `origin` on the X screen.
class GtkWindowGadget final : public GtkGadget {
public:
    GtkWindowGadget(const std::u16string& title, int x, int y, int width, int height, int style,
                    ScreenPoint origin);

    // Puts a control at (x, y) of the client area with exactly this size.
    void Place(GtkWidget* control, int x, int y, int width, int height);

    void SetText(const std::u16string& text) override;
    std::u16string GetText() override;
    void SetStatus(const std::u16string& text) override;
    void Show();

private:
    GtkWidget* client_;
    GtkWidget* statusBar_ = nullptr;
};

// A push button: a click raises GadgetAction with data 0.
class GtkButtonGadget final : public GtkGadget {
public:
    GtkButtonGadget(const std::u16string& text, int x, int y, int width, int height, int style);

    void SetText(const std::u16string& text) override;
    std::u16string GetText() override;
};

// A label, left-aligned, centred (style 16) or right-aligned (style 8); ampersands show as
// they are.
class GtkLabelGadget final : public GtkGadget {
public:
    GtkLabelGadget(const std::u16string& text, int x, int y, int width, int height, int style);

    void SetText(const std::u16string& text) override;
    std::u16string GetText() override;
};

// A drop-down list the user picks from. Picking an item other than the current one raises
// GadgetAction with the item's index and extra object; changes made by the program raise
// nothing.
class GtkComboBoxGadget final : public GtkGadget {
public:
    GtkComboBoxGadget(int x, int y, int width, int height, int style);

    // GTK has no prompt text for a combo box that cannot be edited: the text is kept, not
    // shown.
    void SetText(const std::u16string& text) override;
    std::u16string GetText() override;

    void Clear() override;
    void InsertItem(int index, const std::u16string& text, const std::u16string& tip, int icon,
                    ObjectRef extra, int flags) override;
    void SelectItem(int index, int op) override;

private:
    void SetActive(int index);
    static void OnChanged(GtkWidget* widget, GtkComboBoxGadget* self);

    std::u16string prompt_;
    int quiet_ = 0; // nesting of the program's own changes, during which nothing is raised
};

} // namespace keyweave::gtk
