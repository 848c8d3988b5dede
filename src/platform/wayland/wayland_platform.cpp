#include "platform/wayland/wayland_platform.h"

#include "platform/platform_input.h"

#include <cstdio>
#include <cstdlib>
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <stdexcept>

namespace keyweave::wayland {
namespace {

constexpr const char16_t* kStatusNotice =
    u"Wayland: Start/Stop only in this window; bind keyweave --toggle NAME.";
constexpr const char16_t* kShortcutStatusNotice =
    u"Wayland: the Start/Stop keys are a shortcut of the desktop.";
constexpr const char* kStandardErrorNotice =
    "keyweave: this is a Wayland session, and Keyweave runs as a Wayland client: its keys and "
    "buttons reach the window that has the focus, and it cannot read where the pointer is (it "
    "knows only where it moved the pointer itself).\n";
constexpr const char* kWindowOnlyNotice =
    "keyweave: the desktop offers no global shortcuts, so Keyweave sees the Start/Stop keys only "
    "while its own window has the focus. To start and stop a script from anywhere, bind a key to "
    "the command keyweave --toggle NAME: in sway, `bindsym --release F9 exec keyweave --toggle "
    "NAME`; in Hyprland, `bindr = , F9, exec, keyweave --toggle NAME`.\n";
constexpr const char* kShortcutNotice =
    "keyweave: the Start/Stop keys are registered with the desktop as its shortcut "
    "\"Start/Stop\" (the desktop may ask you to confirm or change them).\n";

// The keymap that the compositor sent to the seat's keyboard; the system's XKB defaults while
// the seat has none (a headless compositor before any keyboard appeared).
std::unique_ptr<Keymap> UsersKeymap(const WaylandConnection& connection) {
    if (connection.Keymap()) {
        try {
            return std::make_unique<Keymap>(*connection.Keymap());
        } catch (const std::runtime_error&) {
            // A keymap that xkbcommon cannot compile: the system's defaults stand in for it.
        }
    }
    return std::make_unique<Keymap>();
}

gboolean OnConnectionReadable(gint, GIOCondition, gpointer connection) {
    static_cast<WaylandConnection*>(connection)->Drain();
    return G_SOURCE_CONTINUE;
}

// Every GDK event passes here on its way to GTK: the keys pressed and released in the
// program's windows are the keys that a poll can see. An event's keycode belongs to the keymap
// of the keyboard that sent it, which may be another program's virtual keyboard with a keymap
// of its own: the key is found by its keysym in the program's keymap instead.
void OnGdkEvent(GdkEvent* event, gpointer platform) {
    auto& wayland = *static_cast<WaylandPlatform*>(platform);
    switch (event->type) {
    case GDK_KEY_PRESS:
    case GDK_KEY_RELEASE:
        wayland.Connection().WindowKey(wayland.KeymapInUse().KeycodeOf(event->key.keyval),
                                       event->type == GDK_KEY_PRESS);
        break;
    case GDK_FOCUS_CHANGE:
        if (!event->focus_change.in) {
            wayland.Connection().WindowLostFocus();
        }
        break;
    default:
        break;
    }
    gtk_main_do_event(event);
}

std::string Listed(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names) {
        text += (text.empty() ? "" : ", ") + name;
    }
    return text;
}

} // namespace

WaylandPlatform::WaylandPlatform(std::unique_ptr<WaylandConnection> connection)
    : Platform({keyboard_, mouse_, loop_.timers, system_, gadgets_, watcher_}),
      connection_(std::move(connection)), keymap_(UsersKeymap(*connection_)),
      primary_(PrimaryOf(connection_->Outputs())), keyboard_(*connection_, loop_.turn, *keymap_),
      mouse_(*connection_, loop_.turn, LayoutOf(connection_->Outputs()), primary_.origin),
      system_([this] { FinishBeforeExit(); }, connection_.get(), loop_.turn, loop_.ticks,
              shortcut_.Available() ? kShortcutStatusNotice : kStatusNotice),
      gadgets_(primary_) {
    shortcut_.Listen([this](bool down) { keyboard_.CombinationPressed(down); });
    keyboard_.SetShortcut(&shortcut_);
    connectionWatch_ =
        g_unix_fd_add(connection_->Fd(), G_IO_IN, OnConnectionReadable, connection_.get());
    connection_->Roundtrip();
}

WaylandPlatform::~WaylandPlatform() {
    g_source_remove(connectionWatch_);
    loop_.thread.Shutdown();
}

void WaylandPlatform::FinishBeforeExit() {
    loop_.thread.Shutdown();
    connection_->Roundtrip();
    gdk_display_flush(gdk_display_get_default());
}

std::unique_ptr<Platform> CreateWaylandPlatform(int argc, char** argv) {
    const char* name = std::getenv("WAYLAND_DISPLAY");
    if (name == nullptr || *name == '\0') {
        return nullptr;
    }
    std::unique_ptr<WaylandConnection> connection;
    try {
        connection = std::make_unique<WaylandConnection>();
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "keyweave: %s \"%s\"; running through XWayland.\n", error.what(),
                     name);
        return nullptr;
    }
    const std::vector<std::string> missing = connection->Missing();
    if (!missing.empty()) {
        std::fprintf(stderr,
                     "keyweave: the Wayland compositor does not offer %s; running through "
                     "XWayland.\n",
                     Listed(missing).c_str());
        return nullptr;
    }

    // Positions and sizes are device pixels everywhere, as the program's geometry is given in
    // pixels; nothing is drawn with OpenGL.
    g_setenv("GDK_SCALE", "1", TRUE);
    g_setenv("GDK_GL", "disable", TRUE);
    // The window must be on the compositor whose virtual devices send the keys.
    gdk_set_allowed_backends("wayland");
    g_set_prgname("keyweave");
    if (!gtk_init_check(&argc, &argv)) {
        std::fprintf(stderr, "keyweave: GTK cannot open the Wayland display \"%s\"\n", name);
        std::exit(1);
    }
    gtk_window_set_default_icon_name("keyweave");

    std::unique_ptr<WaylandPlatform> platform;
    try {
        platform = std::make_unique<WaylandPlatform>(std::move(connection));
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "keyweave: %s\n", error.what());
        std::exit(1);
    }
    std::fputs(kStandardErrorNotice, stderr);
    std::fputs(platform->HasShortcut() ? kShortcutNotice : kWindowOnlyNotice, stderr);
    gdk_event_handler_set(OnGdkEvent, platform.get(), nullptr);
    gtk::EndOnTerminationSignals();
    return platform;
}

} // namespace keyweave::wayland
