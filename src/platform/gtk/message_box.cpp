#include "platform/gtk/message_box.h"

#include <gtk/gtk.h>

namespace keyweave::gtk {
namespace {

// The program's main window: the first visible top-level window that belongs to no other.
GtkWindow* MainWindow() {
    GtkWindow* main = nullptr;
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* item = toplevels; item != nullptr && main == nullptr; item = item->next) {
        auto* window = GTK_WINDOW(item->data);
        if (gtk_widget_get_visible(GTK_WIDGET(window)) &&
            gtk_window_get_window_type(window) == GTK_WINDOW_TOPLEVEL &&
            gtk_window_get_transient_for(window) == nullptr) {
            main = window;
        }
    }
    g_list_free(toplevels);
    return main;
}

GtkWidget* MessageRow(const std::string& text, bool serious) {
    GtkWidget* row = gtk_box_new(GTK_ORIENTATION_HORIZONTAL, 12);
    gtk_container_set_border_width(GTK_CONTAINER(row), 12);
    GtkWidget* icon = gtk_image_new_from_icon_name(
        serious ? "dialog-warning" : "dialog-information", GTK_ICON_SIZE_DIALOG);
    gtk_widget_set_valign(icon, GTK_ALIGN_START);
    GtkWidget* label = gtk_label_new(text.c_str());
    gtk_label_set_xalign(GTK_LABEL(label), 0.0f);
    gtk_label_set_line_wrap(GTK_LABEL(label), TRUE);
    gtk_label_set_max_width_chars(GTK_LABEL(label), 60);
    gtk_box_pack_start(GTK_BOX(row), icon, FALSE, FALSE, 0);
    gtk_box_pack_start(GTK_BOX(row), label, TRUE, TRUE, 0);
    return row;
}

} // namespace

void ShowMessageBox(const std::string& title, const std::string& text, bool serious) {
    GtkWindow* owner = MainWindow();
    GtkWidget* dialog = gtk_dialog_new_with_buttons(title.c_str(), owner, GTK_DIALOG_MODAL, "OK",
                                                    GTK_RESPONSE_OK, nullptr);
    auto* window = GTK_WINDOW(dialog);
    gtk_window_set_resizable(window, FALSE);
    gtk_window_set_keep_above(window, TRUE);
    gtk_window_set_position(window,
                            owner != nullptr ? GTK_WIN_POS_CENTER_ON_PARENT : GTK_WIN_POS_CENTER);
    // Screen readers announce an alert as soon as it appears.
    atk_object_set_role(gtk_widget_get_accessible(dialog), ATK_ROLE_ALERT);

    GtkWidget* content = gtk_dialog_get_content_area(GTK_DIALOG(dialog));
    gtk_box_pack_start(GTK_BOX(content), MessageRow(text, serious), TRUE, TRUE, 0);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK);
    gtk_widget_show_all(content);
    gtk_widget_grab_focus(gtk_dialog_get_widget_for_response(GTK_DIALOG(dialog), GTK_RESPONSE_OK));

    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
}

} // namespace keyweave::gtk
