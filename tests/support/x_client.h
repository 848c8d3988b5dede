#pragma once

#include <chrono>
#include <set>
#include <string>
#include <sys/types.h>
#include <vector>

typedef struct _XDisplay Display;

namespace keyweave::x11test {

struct TopWindow {
    unsigned long id = 0;
    std::string title;
    int x = 0; // position of the window's content on the screen
    int y = 0;
    int width = 0;
    int height = 0;
};

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// What the tests ask the X server directly: windows, key and button state, the pointer.
class XClient {
public:
    explicit XClient(const std::string& display);
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    bool Ok() const { return display_ != nullptr; }

    // The mapped top-level windows of a process (by _NET_WM_PID).
    std::vector<TopWindow> WindowsOf(pid_t pid);

    // The keycodes held now, as XQueryKeymap reports them.
    std::set<int> KeysDown();
    // The buttons held now (1 left, 2 middle, 3 right, ...).
    std::set<int> ButtonsDown();
    Point Pointer();

    int Keycode(const char* keysymName);
    // The keycode of the physical key with this XKB name ("AC01"); 0 when none has it.
    int KeycodeNamed(const std::string& xkbName);

    // Presses or releases a key through XTest, as the user's keyboard does.
    void PressKeycode(int keycode, bool down);
    // Presses and releases a key: with no `hold` both requests leave in one write, so that a
    // program that polls the keyboard never sees the key held; else the release follows the
    // press after `hold`, as a quick finger's does.
    void TapKeycode(int keycode, std::chrono::microseconds hold = {});
    // Moves the pointer onto a pixel of the screen, and presses or releases an X button, as
    // the user's mouse does (XTest).
    void MovePointer(Point to);
    void PressButton(int button, bool down);

    // A keycode without any keysym; 0 when every keycode has one.
    int UnusedKeycode();
    // Gives a keycode this one keysym ("" for none), changing the server's keyboard mapping.
    void MapKeycode(int keycode, const char* keysymName);

    // Gives the keyboard focus to the desktop (the root window), as when the user works in
    // another program: injected keys then reach no window.
    void FocusDesktop();

    // Asks a window to close as a window manager does: a WM_DELETE_WINDOW client message.
    void SendDeleteWindow(unsigned long window);
    // Force-quits the client that made the window, as `xkill` does: the server closes that
    // client's connection (XKillClient).
    void KillClientOf(unsigned long window);
    // Destroys another client's window, as `xdotool windowclose` does (XDestroyWindow).
    void DestroyWindow(unsigned long window);

    // Pings a window as a window manager does to see whether its program is frozen
    // (_NET_WM_PING): true once the program answered, false when `limitMs` passed first.
    bool Ping(unsigned long window, int limitMs);

private:
    Display* display_ = nullptr;
};

} // namespace keyweave::x11test
