#include "platform/wayland/wayland_platform.h"

#include "platform/platform_input.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <unistd.h>

namespace keyweave::wayland {
namespace {

// How long the other clients may take to make a pointer and keyboard of their own for new
// virtual devices of the seat.
constexpr auto kClientsTakeNewDevices = std::chrono::milliseconds(100);

// The platform whose input a lost connection must release, once it is made.
WaylandPlatform* platformOfTheProcess = nullptr;

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

// The keymap that the compositor sent to the seat's keyboard when it is a layout of the
// user's; none for a keymap that xkbcommon cannot compile or that a tool made for its own
// virtual keyboard.
std::unique_ptr<Keymap> KeyboardLayout(const std::optional<std::string>& text) {
    if (!text) {
        return nullptr;
    }
    try {
        auto keymap = std::make_unique<Keymap>(*text);
        return keymap->IsALayout() ? std::move(keymap) : nullptr;
    } catch (const std::runtime_error&) {
        return nullptr;
    }
}

// The user's keymap at start; the system's XKB defaults while the seat has none (a headless
// compositor before any keyboard appeared).
std::unique_ptr<Keymap> UsersKeymap(const WaylandConnection& connection) {
    std::unique_ptr<Keymap> keymap = KeyboardLayout(connection.Keymap());
    return keymap != nullptr ? std::move(keymap) : std::make_unique<Keymap>();
}

// Ends the process with status 1 once a connection to the compositor broke, after releasing
// what the program holds. A connection that breaks while it releases ends it at once.
[[noreturn]] void EndForLostConnection() {
    static bool ending = false;
    if (!ending) {
        ending = true;
        std::fputs("keyweave: lost the connection to the Wayland compositor; ending.\n", stderr);
        if (platformOfTheProcess != nullptr) {
            platformOfTheProcess->ReleaseAfterLostConnection();
        }
    }
    _exit(1);
}

// GDK ends the process itself when its own connection breaks, right after logging one of
// these messages: the program releases what it holds first.
constexpr std::string_view kGdkLostConnection[] = {
    "Error reading events from display", "Error flushing display", "dispatching to Wayland display",
    "Lost connection to Wayland compositor"};

bool SaysGdkLostItsConnection(const GLogField* fields, gsize count) {
    std::string_view domain;
    std::string_view message;
    for (gsize i = 0; i < count; ++i) {
        const std::string_view key(fields[i].key);
        if (fields[i].length < 0 && (key == "GLIB_DOMAIN" || key == "MESSAGE")) {
            (key == "MESSAGE" ? message : domain) = static_cast<const char*>(fields[i].value);
        }
    }
    return domain == "Gdk" &&
           std::any_of(std::begin(kGdkLostConnection), std::end(kGdkLostConnection),
                       [&](std::string_view ending) {
                           return message.find(ending) != std::string_view::npos;
                       });
}

GLogWriterOutput WriteLog(GLogLevelFlags level, const GLogField* fields, gsize count, gpointer) {
    if (SaysGdkLostItsConnection(fields, count)) {
        EndForLostConnection();
    }
    return g_log_writer_default(level, fields, count, nullptr);
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
      connection_(std::move(connection)), primary_(PrimaryOf(connection_->Outputs())),
      keyboard_(*connection_, loop_.turn, UsersKeymap(*connection_)),
      mouse_(*connection_, loop_.turn),
      system_([this] { FinishBeforeExit(); }, connection_.get(), loop_.turn, loop_.ticks,
              shortcut_.Available() ? kShortcutStatusNotice : kStatusNotice),
      gadgets_(primary_) {
    shortcut_.Listen([this](bool down) { keyboard_.CombinationPressed(down); });
    keyboard_.SetShortcut(&shortcut_);
    connectionWatch_ =
        g_unix_fd_add(connection_->Fd(), static_cast<GIOCondition>(G_IO_IN | G_IO_HUP | G_IO_ERR),
                      OnConnectionReadable, connection_.get());
    connection_->SetFollower(this);
    connection_->Roundtrip();
}

WaylandPlatform::~WaylandPlatform() {
    g_source_remove(connectionWatch_);
    loop_.thread.Shutdown();
}

// A keymap that another keyboard of the seat brought (its keymap is sent to every client when
// it types) is followed when it is a layout other than the one in use: the compositor sends
// the program's own keymap back, too, once its virtual keyboard types again.
void WaylandPlatform::KeymapChanged() {
    const std::optional<std::string>& text = connection_->Keymap();
    if (!text || *text == KeymapInUse().Text()) {
        return;
    }
    std::unique_ptr<Keymap> keymap = KeyboardLayout(text);
    if (keymap != nullptr && keymap->Text() != KeymapInUse().Text()) {
        keyboard_.UseKeymap(std::move(keymap));
    }
}

void WaylandPlatform::OutputsChanged() {
    primary_ = PrimaryOf(connection_->Outputs());
}

void WaylandPlatform::ConnectionLost() {
    EndForLostConnection();
}

void WaylandPlatform::ReleaseAfterLostConnection() {
    WaylandConnection* through = connection_.get();
    if (connection_->Broken() || !connection_->Roundtrip()) {
        through = Reconnect();
        if (through == nullptr) {
            return;
        }
    }
    InputConnectionLost();
    through->Roundtrip();
}

WaylandConnection* WaylandPlatform::Reconnect() {
    try {
        replacement_ = std::make_unique<WaylandConnection>(connection_->Name());
    } catch (const std::runtime_error&) {
        return nullptr;
    }
    if (!replacement_->Missing().empty()) {
        return nullptr;
    }
    keyboard_.MoveTo(*replacement_);
    mouse_.MoveTo(*replacement_);
    // The compositor announces the new devices to every client, which only then makes a
    // pointer and keyboard of its own: a release sent before that reaches none of them. Under
    // sway, a release sent at once was lost in 10 tries of 10, one sent 50 ms later in none.
    replacement_->Roundtrip();
    std::this_thread::sleep_for(kClientsTakeNewDevices);
    return replacement_.get();
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
        connection = std::make_unique<WaylandConnection>(name);
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
    platformOfTheProcess = platform.get();
    g_log_set_writer_func(WriteLog, nullptr, nullptr);
    gdk_event_handler_set(OnGdkEvent, platform.get(), nullptr);
    gtk::EndOnTerminationSignals();
    return platform;
}

} // namespace keyweave::wayland
