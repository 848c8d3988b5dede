#pragma once

#include "platform/gtk/glib_system_driver.h"
#include "platform/gtk/gtk_gadget_driver.h"
#include "platform/gtk/portal_shortcut.h"
#include "platform/gtk/timer_thread.h"
#include "platform/loop/loop_timers.h"
#include "platform/platform.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_devices.h"
#include "platform/wayland/wayland_keymap.h"
#include "platform/wayland/wayland_watcher.h"

#include <memory>

namespace keyweave::wayland {

// The Wayland platform: a virtual keyboard and pointer on the program's own connection to the
// compositor, a timer thread, GLib's main context for the pump and main-thread calls, and GTK 3
// on its Wayland backend for the window, and the desktop's GlobalShortcuts portal, where there
// is one, for the Start/Stop keys. GTK must have been initialised on the same compositor. It
// follows the user's keymap and the outputs while it runs.
class WaylandPlatform final : public Platform, private ConnectionFollower {
public:
    // Takes the connection, which offers both virtual-input protocols and a seat.
    explicit WaylandPlatform(std::unique_ptr<WaylandConnection> connection);
    ~WaylandPlatform() override;

    WaylandConnection& Connection() { return *connection_; }
    const Keymap& KeymapInUse() const { return keyboard_.KeymapInUse(); }
    bool HasShortcut() const { return shortcut_.Available(); }

    // After a connection to the compositor broke (the program's own or GTK's), and before the
    // process ends: the core releases every key and button it holds, through a new
    // connection to the same display when the program's own has broken, with a new virtual
    // keyboard and pointer, and the compositor handles the releases. Nothing is released when
    // no new connection opens (the compositor has gone). GTK is not touched.
    void ReleaseAfterLostConnection();

private:
    void KeymapChanged() override;
    void OutputsChanged() override;
    void ConnectionLost() override;
    // Stops the timers and waits until the compositor has handled every request.
    void FinishBeforeExit();
    // The keyboard and the mouse go on through a new connection to the same display, which
    // it returns; none when no new connection opens.
    WaylandConnection* Reconnect();

    std::unique_ptr<WaylandConnection> connection_;
    std::unique_ptr<WaylandConnection> replacement_;
    gtk::MonitorArea primary_;
    gtk::MonotonicLoop loop_;
    WaylandKeyboard keyboard_;
    WaylandMouse mouse_;
    WaylandWatcher watcher_;
    gtk::PortalShortcut shortcut_;
    gtk::GlibSystemDriver system_;
    gtk::GtkGadgetDriver gadgets_;
    unsigned connectionWatch_ = 0;
};

// The Wayland platform when WAYLAND_DISPLAY names a compositor that offers a seat and both
// virtual-input protocols, with GTK initialised on its Wayland backend and the handlers for
// signals installed; none otherwise (the X11 layer then runs, through XWayland).
std::unique_ptr<Platform> CreateWaylandPlatform(int argc, char** argv);

} // namespace keyweave::wayland
