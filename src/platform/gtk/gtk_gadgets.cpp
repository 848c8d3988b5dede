#include "platform/gtk/gtk_gadgets.h"

#include "platform/gtk/context_watch.h"
#include "platform/platform_input.h"
#include "runtime/strings.h"

#include <gtk/gtk.h>

namespace keyweave::gtk {
namespace {

bool topLevelDestroyedByAnotherClient = false;

std::u16string FromGtk(const char* text) {
    return FromUtf8(text != nullptr ? text : "");
}

gboolean OnDeleteEvent(GtkWidget*, GdkEvent*, TGadget* window) {
    InputWindowClose(*window);
    return TRUE;
}

// Another client destroyed the window (as `xdotool windowclose` does). GTK would destroy the
// widget and its controls next, which the gadgets still use: the program ends first, as its
// close box ends it.
gboolean OnDestroyEvent(GtkWidget*, GdkEvent*, gpointer) {
    topLevelDestroyedByAnotherClient = true;
    InputCloseRequest();
    return TRUE;
}

void OnClicked(GtkButton*, TGadget* button) {
    InputGadgetAction(*button, 0, nullptr);
}

// GTK's cell padding makes a combo box taller than a Windows one; without it the theme's
// compact combo box fits 20 pixels. A long item is cut short, so that it cannot widen the combo
// box over its neighbours.
void FitItemsIntoTheBox(GtkWidget* combo) {
    GList* cells = gtk_cell_layout_get_cells(GTK_CELL_LAYOUT(combo));
    for (GList* cell = cells; cell != nullptr; cell = cell->next) {
        auto* renderer = GTK_CELL_RENDERER(cell->data);
        int xpad = 0;
        gtk_cell_renderer_get_padding(renderer, &xpad, nullptr);
        gtk_cell_renderer_set_padding(renderer, xpad, 0);
        if (GTK_IS_CELL_RENDERER_TEXT(renderer)) {
            g_object_set(renderer, "ellipsize", PANGO_ELLIPSIZE_END, nullptr);
        }
    }
    g_list_free(cells);
}

} // namespace

bool ATopLevelWasDestroyedByAnotherClient() {
    return topLevelDestroyedByAnotherClient;
}

GtkGadget::GtkGadget(int gadgetClass, int x, int y, int width, int height, int style,
                     GtkWidget* widget)
    : TGadget(gadgetClass, x, y, width, height, style), widget_(widget) {}

GtkWindowGadget::GtkWindowGadget(const std::u16string& title, int x, int y, int width, int height,
                                 int style, ScreenPoint origin)
    : GtkGadget(WindowClass, x, y, width, height, style, gtk_window_new(GTK_WINDOW_TOPLEVEL)),
      client_(gtk_fixed_new()) {
    auto* window = GTK_WINDOW(widget_);
    gtk_window_set_title(window, ToUtf8(title).c_str());
    gtk_window_set_resizable(window, (style & WindowResizable) != 0);
    gtk_window_set_decorated(window, (style & WindowTitleBar) != 0);
    // x and y place the client area; the window manager adds its frame around it.
    gtk_window_set_gravity(window, GDK_GRAVITY_STATIC);
    gtk_window_move(window, origin.x + x, origin.y + y);

    GtkWidget* column = gtk_box_new(GTK_ORIENTATION_VERTICAL, 0);
    gtk_widget_set_size_request(client_, width, height);
    gtk_box_pack_start(GTK_BOX(column), client_, FALSE, FALSE, 0);
    if (style & WindowStatusBar) {
        statusBar_ = gtk_statusbar_new();
        gtk_box_pack_start(GTK_BOX(column), statusBar_, FALSE, FALSE, 0);
    }
    gtk_container_add(GTK_CONTAINER(window), column);
    g_signal_connect(window, "delete-event", G_CALLBACK(OnDeleteEvent), this);
    g_signal_connect(window, "destroy-event", G_CALLBACK(OnDestroyEvent), nullptr);
}

void GtkWindowGadget::Place(GtkWidget* control, int x, int y, int width, int height) {
    gtk_widget_set_size_request(control, width, height);
    gtk_fixed_put(GTK_FIXED(client_), control, x, y);
}

void GtkWindowGadget::Show() {
    if (!(style & WindowHidden)) {
        gtk_widget_show_all(widget_);
    }
}

void GtkWindowGadget::SetText(const std::u16string& text) {
    MainContextChanged();
    gtk_window_set_title(GTK_WINDOW(widget_), ToUtf8(text).c_str());
}

std::u16string GtkWindowGadget::GetText() {
    return FromGtk(gtk_window_get_title(GTK_WINDOW(widget_)));
}

void GtkWindowGadget::SetStatus(const std::u16string& text) {
    MainContextChanged();
    if (statusBar_ == nullptr) {
        return;
    }
    auto* bar = GTK_STATUSBAR(statusBar_);
    guint context = gtk_statusbar_get_context_id(bar, "status");
    gtk_statusbar_remove_all(bar, context);
    gtk_statusbar_push(bar, context, ToUtf8(text).c_str());
}

GtkButtonGadget::GtkButtonGadget(const std::u16string& text, int x, int y, int width, int height,
                                 int style)
    : GtkGadget(ButtonClass, x, y, width, height, style,
                gtk_button_new_with_label(ToUtf8(text).c_str())) {
    g_signal_connect(widget_, "clicked", G_CALLBACK(OnClicked), this);
}

void GtkButtonGadget::SetText(const std::u16string& text) {
    MainContextChanged();
    gtk_button_set_label(GTK_BUTTON(widget_), ToUtf8(text).c_str());
}

std::u16string GtkButtonGadget::GetText() {
    return FromGtk(gtk_button_get_label(GTK_BUTTON(widget_)));
}

GtkLabelGadget::GtkLabelGadget(const std::u16string& text, int x, int y, int width, int height,
                               int style)
    : GtkGadget(LabelClass, x, y, width, height, style, gtk_label_new(ToUtf8(text).c_str())) {
    auto* label = GTK_LABEL(widget_);
    float alignment = (style & LabelCentred) ? 0.5f : (style & LabelRight) ? 1.0f : 0.0f;
    gtk_label_set_xalign(label, alignment);
    gtk_label_set_yalign(label, 0.0f);
    gtk_label_set_justify(label, (style & LabelCentred) ? GTK_JUSTIFY_CENTER
                                 : (style & LabelRight) ? GTK_JUSTIFY_RIGHT
                                                        : GTK_JUSTIFY_LEFT);
    // A text wider than the label is cut short rather than spilling over its neighbours.
    gtk_label_set_ellipsize(label, PANGO_ELLIPSIZE_END);
}

void GtkLabelGadget::SetText(const std::u16string& text) {
    MainContextChanged();
    gtk_label_set_text(GTK_LABEL(widget_), ToUtf8(text).c_str());
}

std::u16string GtkLabelGadget::GetText() {
    return FromGtk(gtk_label_get_text(GTK_LABEL(widget_)));
}

GtkComboBoxGadget::GtkComboBoxGadget(int x, int y, int width, int height, int style)
    : GtkGadget(ComboBoxClass, x, y, width, height, style, gtk_combo_box_text_new()) {
    FitItemsIntoTheBox(widget_);
    g_signal_connect(widget_, "changed", G_CALLBACK(OnChanged), this);
}

// GTK reports the user's choice once the list has closed with it.
void GtkComboBoxGadget::OnChanged(GtkWidget* widget, GtkComboBoxGadget* self) {
    if (self->quiet_ > 0) {
        return;
    }
    const int picked = self->items_.Pick(gtk_combo_box_get_active(GTK_COMBO_BOX(widget)));
    if (picked >= 0) {
        InputGadgetAction(*self, picked, self->items_.Extra(picked));
    }
}

void GtkComboBoxGadget::SetText(const std::u16string& text) {
    prompt_ = text;
}

std::u16string GtkComboBoxGadget::GetText() {
    return prompt_;
}

void GtkComboBoxGadget::Clear() {
    MainContextChanged();
    ++quiet_;
    gtk_combo_box_text_remove_all(GTK_COMBO_BOX_TEXT(widget_));
    items_.Clear();
    --quiet_;
}

void GtkComboBoxGadget::InsertItem(int index, const std::u16string& text, const std::u16string& tip,
                                   int icon, ObjectRef extra, int flags) {
    MainContextChanged();
    index = items_.Insert(index, {text, tip, icon, flags, std::move(extra)});
    ++quiet_;
    gtk_combo_box_text_insert(GTK_COMBO_BOX_TEXT(widget_), index, nullptr, ToUtf8(text).c_str());
    --quiet_;
    if (flags & 1) {
        SetActive(items_.Current());
    }
}

void GtkComboBoxGadget::SetActive(int index) {
    MainContextChanged();
    ++quiet_;
    gtk_combo_box_set_active(GTK_COMBO_BOX(widget_), index);
    --quiet_;
}

void GtkComboBoxGadget::SelectItem(int index, int op) {
    SetActive(items_.Select(index, op));
}

} // namespace keyweave::gtk
