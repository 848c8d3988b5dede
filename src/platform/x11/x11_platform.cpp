#include "platform/x11/x11_platform.h"

#include "platform/gtk/gtk_gadgets.h"
#include "platform/platform_input.h"
#include "platform/x11/session_notice.h"

#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>
#include <gdk/gdkx.h>
#include <glib-unix.h>
#include <gtk/gtk.h>
#include <stdexcept>
#include <unistd.h>

namespace keyweave {
namespace x11 {
namespace {

// The platform whose input a lost connection must release, once it is made.
X11Platform* platformOfTheProcess = nullptr;

// Ends the process with status 1 once the connection `lost` broke (GTK's, the input
// connection or the recorder's). An error of another connection while the keys are released
// (the server itself has gone) ends it at once.
[[noreturn]] void EndForLostDisplay(Display* lost) {
    static bool ending = false;
    if (!ending) {
        ending = true;
        std::fputs("keyweave: lost the connection to the X server; ending.\n", stderr);
        if (platformOfTheProcess != nullptr) {
            platformOfTheProcess->ReleaseAfterLostConnection(lost);
        }
    }
    _exit(1);
}

int OnIoError(Display* lost) {
    EndForLostDisplay(lost);
}

void OnDisplayClosed(GdkDisplay* display, gboolean isError, gpointer) {
    if (isError) {
        EndForLostDisplay(gdk_x11_display_get_xdisplay(display));
    }
}

XErrorHandler gdkErrorHandler = nullptr;

// Whether an X error is about a window of GTK's that no longer exists, which only another
// client can have destroyed (as `xdotool windowclose` does). GDK handles the events that the
// server sent before the DestroyNotify (the pointer leaving the window, a pointer grab on it
// ending) and asks the server about the window on the way; its handler would end the process
// for the answer, before the DestroyNotify ends it as the close box does. After the
// DestroyNotify, GDK has forgotten the window and its children, and drawing that was under way
// until the program ends may still name them.
bool IsAboutAWindowDestroyedByAnotherClient(Display* display, const XErrorEvent& error) {
    if (error.error_code != BadWindow && error.error_code != BadDrawable) {
        return false;
    }
    if (gtk::ATopLevelWasDestroyedByAnotherClient()) {
        return true;
    }
    GdkDisplay* gdkDisplay = gdk_x11_lookup_xdisplay(display);
    GdkWindow* window = gdkDisplay != nullptr
                            ? gdk_x11_window_lookup_for_display(gdkDisplay, error.resourceid)
                            : nullptr;
    return window != nullptr && gdk_window_get_window_type(window) == GDK_WINDOW_TOPLEVEL;
}

int OnXError(Display* display, XErrorEvent* error) {
    if (IsAboutAWindowDestroyedByAnotherClient(display, *error)) {
        return 0;
    }
    return gdkErrorHandler(display, error);
}

gboolean OnInputReadable(gint, GIOCondition, gpointer input) {
    static_cast<InputConnection*>(input)->Drain();
    return G_SOURCE_CONTINUE;
}

} // namespace

X11Platform::X11Platform(const std::string& displayName, const std::u16string& startupNotice,
                         std::unique_ptr<gtk::PortalShortcut> shortcut)
    : Platform({keyboard_, mouse_, loop_.timers, system_, gadgets_, watcher_}),
      primary_(gtk::PrimaryMonitorArea()), input_(displayName), keyboard_(input_, loop_.turn),
      mouse_(input_, loop_.turn, primary_.origin), watcher_(input_, primary_.origin),
      system_([this] { FinishBeforeExit(); }, &input_, loop_.turn, loop_.ticks, startupNotice),
      gadgets_(primary_), shortcut_(std::move(shortcut)) {
    if (shortcut_ != nullptr) {
        shortcut_->Listen([this](bool down) { keyboard_.CombinationPressed(down); });
        keyboard_.SetShortcut(shortcut_.get());
    }
    inputWatch_ = g_unix_fd_add(input_.Fd(), G_IO_IN, OnInputReadable, &input_);
}

X11Platform::~X11Platform() {
    g_source_remove(inputWatch_);
    loop_.thread.Shutdown();
}

void X11Platform::ReleaseAfterLostConnection(Display* lost) {
    if (lost == input_.Get() && !input_.Reopen()) {
        return;
    }
    InputConnectionLost();
    input_.Sync();
}

void X11Platform::FinishBeforeExit() {
    loop_.thread.Shutdown();
    input_.Sync();
    gdk_display_flush(gdk_display_get_default());
}

std::unique_ptr<Platform> CreateX11Platform(int argc, char** argv) {
    // Positions and sizes are device pixels everywhere (window, gadgets, cursor moves), as the
    // program's geometry is given in pixels.
    g_setenv("GDK_SCALE", "1", TRUE);
    // Nothing is drawn with OpenGL: without this, GDK probes GLX when it opens the display,
    // which maps the system's OpenGL driver (tens of MiB with Mesa's software renderer) for
    // the life of the process.
    g_setenv("GDK_GL", "disable", TRUE);
    // The window must be on the X server that XTest injects into.
    gdk_set_allowed_backends("x11");
    g_set_prgname("keyweave");
    if (!gtk_init_check(&argc, &argv)) {
        const char* display = std::getenv("DISPLAY");
        std::fprintf(stderr, "keyweave: cannot open the X display \"%s\"\n",
                     display != nullptr ? display : "");
        std::exit(1);
    }
    gtk_window_set_default_icon_name("keyweave");

    // Under Wayland the desktop may report the Start/Stop combination from everywhere.
    auto shortcut = InWaylandSession() ? std::make_unique<gtk::PortalShortcut>() : nullptr;
    if (shortcut != nullptr && !shortcut->Available()) {
        shortcut.reset();
    }
    const SessionNotice notice = NoticeForThisSession(shortcut != nullptr);
    std::fputs(notice.standardError.c_str(), stderr);
    GdkDisplay* display = gdk_display_get_default();
    std::unique_ptr<X11Platform> platform;
    try {
        platform = std::make_unique<X11Platform>(gdk_display_get_name(display), notice.status,
                                                 std::move(shortcut));
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "keyweave: %s\n", error.what());
        std::exit(1);
    }
    platformOfTheProcess = platform.get();
    XSetIOErrorHandler(OnIoError);
    gdkErrorHandler = XSetErrorHandler(OnXError);
    g_signal_connect(display, "closed", G_CALLBACK(OnDisplayClosed), nullptr);
    gtk::EndOnTerminationSignals();
    return platform;
}

} // namespace x11
} // namespace keyweave
