#pragma once

#include "platform/gtk/glib_system_driver.h"
#include "platform/gtk/gtk_gadget_driver.h"
#include "platform/gtk/primary_monitor.h"
#include "platform/gtk/timer_thread.h"
#include "platform/loop/loop_timers.h"
#include "platform/platform.h"
#include "platform/x11/input_connection.h"
#include "platform/x11/x11_devices.h"
#include "platform/x11/x11_watcher.h"

#include <memory>
#include <string>

namespace keyweave::x11 {

// The Linux platform: XInput 2 and XTest on the program's own X connection, the RECORD
// extension for the recorder's watcher, a timer thread, GLib's main context for the pump and
// main-thread calls, and GTK 3 for the window. GTK must have been initialised on the same
// display. Cursor positions and the window's place count from the primary monitor's top left
// corner.
class X11Platform final : public Platform {
public:
    // The system driver's StartupNotice gives `startupNotice`. The keyboard registers the
    // Start/Stop combination with `shortcut`, the desktop's, when there is one.
    explicit X11Platform(const std::string& displayName, const std::u16string& startupNotice = u"",
                         std::unique_ptr<gtk::PortalShortcut> shortcut = nullptr);
    ~X11Platform() override;

    // After the connection `lost` to the X server broke, and before the process ends: the core
    // releases every key and button it holds through the input connection, opened anew when it
    // was the lost one, and the server handles the releases. Nothing is released when no new
    // connection opens (the server has gone). GDK's display is not touched.
    void ReleaseAfterLostConnection(Display* lost);

private:
    // Stops the timers and hands every pending request to the X server.
    void FinishBeforeExit();

    gtk::MonitorArea primary_; // as it was at start, as the desktop's size on Windows
    gtk::MonotonicLoop loop_;
    InputConnection input_;
    X11Keyboard keyboard_;
    X11Mouse mouse_;
    X11Watcher watcher_;
    gtk::GlibSystemDriver system_;
    gtk::GtkGadgetDriver gadgets_;
    std::unique_ptr<gtk::PortalShortcut> shortcut_;
    unsigned inputWatch_ = 0;
};

// Initialises GTK on the X11 backend and makes the platform, with the handlers for signals and
// a lost X connection; ends the process with a message when the display cannot be opened.
std::unique_ptr<Platform> CreateX11Platform(int argc, char** argv);

} // namespace keyweave::x11
