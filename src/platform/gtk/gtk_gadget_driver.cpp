#include "platform/gtk/gtk_gadget_driver.h"

#include "platform/gtk/context_watch.h"
#include "platform/gtk/gtk_gadgets.h"
#include "platform/gtk/gtk_text_area.h"

#include <gtk/gtk.h>

namespace keyweave::gtk {
namespace {

// The theme's buttons and combo boxes are taller than the 20 to 25 pixels the window gives
// them; without vertical padding and minimum height they fit.
//
// A combo box drops its items down as a list, as a Windows drop-down list does, rather than as
// a menu: a menu keeps a reference to each of its rows and updates every one of them whenever
// a row is inserted, so filling it costs time quadratic in its length (four seconds for 5,000
// scripts). It must be so from the combo box's creation on, when it picks how to drop down.
constexpr const char* kCompactControls = R"(
button, combobox button { min-height: 0; padding-top: 0; padding-bottom: 0; }
combobox { -GtkComboBox-appears-as-list: 1; }
)";

void LoadCompactControls() {
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, kCompactControls, -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                              GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
}

std::shared_ptr<GtkGadget> MakeControl(int gadgetClass, const std::u16string& text, int x, int y,
                                       int width, int height, int style) {
    switch (gadgetClass) {
    case ButtonClass:
        return std::make_shared<GtkButtonGadget>(text, x, y, width, height, style);
    case LabelClass:
        return std::make_shared<GtkLabelGadget>(text, x, y, width, height, style);
    case ComboBoxClass:
        return std::make_shared<GtkComboBoxGadget>(x, y, width, height, style);
    case TextAreaClass:
        return std::make_shared<GtkTextAreaGadget>(x, y, width, height, style);
    default:
        return nullptr;
    }
}

} // namespace

GtkGadgetDriver::GtkGadgetDriver(const MonitorArea& primary) : primary_(primary) {
    LoadCompactControls();
}

std::shared_ptr<TGadget> GtkGadgetDriver::CreateGadget(int gadgetClass, const std::u16string& text,
                                                       int x, int y, int width, int height,
                                                       const std::shared_ptr<TGadget>& group,
                                                       int style) {
    MainContextChanged();
    if (gadgetClass == WindowClass) {
        auto window =
            std::make_shared<GtkWindowGadget>(text, x, y, width, height, style, primary_.origin);
        window->Show();
        return window;
    }
    auto control = MakeControl(gadgetClass, text, x, y, width, height, style);
    if (control == nullptr) {
        return std::make_shared<TGadget>(gadgetClass, x, y, width, height, style);
    }
    if (auto* window = dynamic_cast<GtkWindowGadget*>(group.get())) {
        window->Place(control->Widget(), x, y, width, height);
        gtk_widget_show_all(control->Widget());
    }
    return control;
}

} // namespace keyweave::gtk
