#include "x_client.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <chrono>
#include <cstring>
#include <thread>

namespace keyweave::x11test {

XClient::XClient(const std::string& display) : display_(XOpenDisplay(display.c_str())) {}

XClient::~XClient() {
    if (display_ != nullptr) {
        XCloseDisplay(display_);
    }
}

std::vector<TopWindow> XClient::WindowsOf(pid_t pid) {
    std::vector<TopWindow> windows;
    Window root = DefaultRootWindow(display_);
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(display_, root, &root, &parent, &children, &count)) {
        return windows;
    }
    Atom pidAtom = XInternAtom(display_, "_NET_WM_PID", False);
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display_, children[i], &attributes) ||
            attributes.map_state != IsViewable) {
            continue;
        }
        Atom type = None;
        int format = 0;
        unsigned long items = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        bool ours = false;
        if (XGetWindowProperty(display_, children[i], pidAtom, 0, 1, False, XA_CARDINAL, &type,
                               &format, &items, &after, &data) == Success &&
            data != nullptr) {
            ours = items == 1 && static_cast<pid_t>(*reinterpret_cast<unsigned long*>(data)) == pid;
            XFree(data);
        }
        if (!ours) {
            continue;
        }
        TopWindow window;
        window.id = children[i];
        char* name = nullptr;
        if (XFetchName(display_, children[i], &name) && name != nullptr) {
            window.title = name;
            XFree(name);
        }
        Window child = 0;
        XTranslateCoordinates(display_, children[i], root, 0, 0, &window.x, &window.y, &child);
        window.width = attributes.width;
        window.height = attributes.height;
        windows.push_back(window);
    }
    if (children != nullptr) {
        XFree(children);
    }
    return windows;
}

std::set<int> XClient::KeysDown() {
    char keys[32] = {};
    XQueryKeymap(display_, keys);
    std::set<int> down;
    for (int keycode = 0; keycode < 256; ++keycode) {
        if ((keys[keycode / 8] >> (keycode % 8)) & 1) {
            down.insert(keycode);
        }
    }
    return down;
}

std::set<int> XClient::ButtonsDown() {
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int x = 0;
    int y = 0;
    unsigned mask = 0;
    XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &rootX, &rootY, &x, &y,
                  &mask);
    std::set<int> down;
    const unsigned masks[] = {Button1Mask, Button2Mask, Button3Mask, Button4Mask, Button5Mask};
    for (int button = 1; button <= 5; ++button) {
        if (mask & masks[button - 1]) {
            down.insert(button);
        }
    }
    return down;
}

Point XClient::Pointer() {
    Window root = 0;
    Window child = 0;
    Point point;
    int x = 0;
    int y = 0;
    unsigned mask = 0;
    XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &point.x, &point.y, &x, &y,
                  &mask);
    return point;
}

int XClient::Keycode(const char* keysymName) {
    return XKeysymToKeycode(display_, XStringToKeysym(keysymName));
}

int XClient::KeycodeNamed(const std::string& xkbName) {
    XkbDescPtr xkb = XkbGetMap(display_, 0, XkbUseCoreKbd);
    int found = 0;
    if (xkb != nullptr && XkbGetNames(display_, XkbKeyNamesMask, xkb) == Success) {
        for (int keycode = xkb->min_key_code; keycode <= xkb->max_key_code && found == 0;
             ++keycode) {
            const char* name = xkb->names->keys[keycode].name;
            if (std::string(name, strnlen(name, XkbKeyNameLength)) == xkbName) {
                found = keycode;
            }
        }
    }
    XkbFreeKeyboard(xkb, 0, True);
    return found;
}

void XClient::PressKeycode(int keycode, bool down) {
    XTestFakeKeyEvent(display_, static_cast<unsigned>(keycode), down ? True : False, CurrentTime);
    XSync(display_, False);
}

void XClient::TapKeycode(int keycode, std::chrono::microseconds hold) {
    XTestFakeKeyEvent(display_, static_cast<unsigned>(keycode), True, CurrentTime);
    if (hold > std::chrono::microseconds::zero()) {
        XSync(display_, False);
        std::this_thread::sleep_for(hold);
    }
    XTestFakeKeyEvent(display_, static_cast<unsigned>(keycode), False, CurrentTime);
    XSync(display_, False);
}

void XClient::MovePointer(Point to) {
    XTestFakeMotionEvent(display_, DefaultScreen(display_), to.x, to.y, CurrentTime);
    XSync(display_, False);
}

void XClient::PressButton(int button, bool down) {
    XTestFakeButtonEvent(display_, static_cast<unsigned>(button), down ? True : False, CurrentTime);
    XSync(display_, False);
}

int XClient::UnusedKeycode() {
    int minKeycode = 0;
    int maxKeycode = 0;
    XDisplayKeycodes(display_, &minKeycode, &maxKeycode);
    for (int keycode = maxKeycode; keycode >= minKeycode; --keycode) {
        int perKeycode = 0;
        KeySym* keysyms =
            XGetKeyboardMapping(display_, static_cast<KeyCode>(keycode), 1, &perKeycode);
        bool unused = true;
        for (int i = 0; i < perKeycode; ++i) {
            unused = unused && keysyms[i] == NoSymbol;
        }
        XFree(keysyms);
        if (unused) {
            return keycode;
        }
    }
    return 0;
}

void XClient::MapKeycode(int keycode, const char* keysymName) {
    KeySym keysym = *keysymName != '\0' ? XStringToKeysym(keysymName) : NoSymbol;
    XChangeKeyboardMapping(display_, keycode, 1, &keysym, 1);
    XSync(display_, False);
}

void XClient::FocusDesktop() {
    XSetInputFocus(display_, PointerRoot, RevertToPointerRoot, CurrentTime);
    XSync(display_, False);
}

void XClient::SendDeleteWindow(unsigned long window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display_, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display_, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display_, window, False, NoEventMask, &event);
    XSync(display_, False);
}

// The program answers by sending the message back to the root window, where this client
// listens for it.
bool XClient::Ping(unsigned long window, int limitMs) {
    const Window root = DefaultRootWindow(display_);
    XSelectInput(display_, root, SubstructureNotifyMask);
    const Atom protocols = XInternAtom(display_, "WM_PROTOCOLS", False);
    const long ping = static_cast<long>(XInternAtom(display_, "_NET_WM_PING", False));
    static long serial = 0;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = ping;
    event.xclient.data.l[1] = ++serial;
    event.xclient.data.l[2] = static_cast<long>(window);
    XSendEvent(display_, window, False, NoEventMask, &event);
    XFlush(display_);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(limitMs);
    while (std::chrono::steady_clock::now() < deadline) {
        while (XPending(display_) > 0) {
            XEvent reply;
            XNextEvent(display_, &reply);
            if (reply.type == ClientMessage && reply.xclient.message_type == protocols &&
                reply.xclient.data.l[0] == ping && reply.xclient.data.l[1] == serial) {
                XSelectInput(display_, root, NoEventMask);
                return true;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    XSelectInput(display_, root, NoEventMask);
    return false;
}

void XClient::KillClientOf(unsigned long window) {
    XKillClient(display_, window);
    XSync(display_, False);
}

void XClient::DestroyWindow(unsigned long window) {
    XDestroyWindow(display_, window);
    XSync(display_, False);
}

} // namespace keyweave::x11test
