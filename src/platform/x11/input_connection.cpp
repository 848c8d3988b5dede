#include "platform/x11/input_connection.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace keyweave::x11 {
namespace {

// A raw event of XInput 2: a key press or release is a change of the held keycodes. False for
// an event of another kind.
bool ApplyRawEvent(Display* display, int xinputOpcode, XGenericEventCookie& cookie,
                   gtk::KeyChanges& held) {
    if (cookie.type != GenericEvent || cookie.extension != xinputOpcode ||
        !XGetEventData(display, &cookie)) {
        return false;
    }
    const auto* raw = static_cast<const XIRawEvent*>(cookie.data);
    if (cookie.evtype == XI_RawKeyPress) {
        held.Press(raw->detail);
    } else if (cookie.evtype == XI_RawKeyRelease) {
        held.Release(raw->detail);
    }
    XFreeEventData(display, &cookie);
    return true;
}

} // namespace

InputConnection::InputConnection(const std::string& displayName) : displayName_(displayName) {
    display_ = XOpenDisplay(displayName.c_str());
    if (display_ == nullptr) {
        throw std::runtime_error("cannot open the X display \"" + displayName + "\"");
    }
    SelectRawKeyEvents();
    SelectMappingEvents();
    LoadKeyboardMapping();
    QueryKeymap();
}

InputConnection::~InputConnection() {
    XCloseDisplay(display_);
}

int InputConnection::Fd() const {
    return ConnectionNumber(display_);
}

void InputConnection::SelectRawKeyEvents() {
    int event = 0;
    int error = 0;
    if (!XQueryExtension(display_, "XInputExtension", &xinputOpcode_, &event, &error)) {
        return;
    }
    // Raw events reach root-window listeners from XInput 2.1 on, whatever grabs are active.
    int major = 2;
    int minor = 1;
    if (XIQueryVersion(display_, &major, &minor) != Success || major * 10 + minor < 21) {
        return;
    }
    rawEvents_ = true;
    SelectRawEvents(false);
}

void InputConnection::SelectRawEvents(bool pointerToo) {
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    if (pointerToo) {
        XISetMask(bits, XI_RawButtonPress);
        XISetMask(bits, XI_RawButtonRelease);
        XISetMask(bits, XI_RawMotion);
    }
    XIEventMask mask{XIAllMasterDevices, sizeof(bits), bits};
    XISelectEvents(display_, DefaultRootWindow(display_), &mask, 1);
    XSync(display_, False);
}

void InputConnection::ReportPointerChanges(bool report) {
    if (rawEvents_) {
        SelectRawEvents(report);
    }
}

bool InputConnection::TakeInputArrived() {
    return std::exchange(inputArrived_, false);
}

void InputConnection::SelectMappingEvents() {
    int opcode = 0;
    int eventBase = 0;
    int error = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    if (!XkbQueryExtension(display_, &opcode, &eventBase, &error, &major, &minor)) {
        return;
    }
    xkbEventBase_ = eventBase;
    // Under XKB the server tells only clients that ask for it that the keyboard mapping
    // changed.
    const unsigned mask = XkbMapNotifyMask | XkbNewKeyboardNotifyMask;
    XkbSelectEvents(display_, XkbUseCoreKbd, mask, mask);
}

void InputConnection::LoadKeyboardMapping() {
    int minKeycode = 0;
    int maxKeycode = 0;
    XDisplayKeycodes(display_, &minKeycode, &maxKeycode);
    int perKeycode = 0;
    KeySym* keysyms = XGetKeyboardMapping(display_, static_cast<KeyCode>(minKeycode),
                                          maxKeycode - minKeycode + 1, &perKeycode);
    gtk::KeyboardMapping mapping;
    mapping.minKeycode = minKeycode;
    mapping.keysymsPerKeycode = perKeycode;
    if (keysyms != nullptr) {
        mapping.keysyms.assign(keysyms, keysyms + (maxKeycode - minKeycode + 1) * perKeycode);
        XFree(keysyms);
    }
    mapping.keyNames = KeyNames(minKeycode, maxKeycode);
    keys_ = gtk::VirtualKeyMap(mapping);
}

std::vector<std::string> InputConnection::KeyNames(int minKeycode, int maxKeycode) const {
    std::vector<std::string> names;
    if (xkbEventBase_ < 0) {
        return names;
    }
    XkbDescPtr xkb = XkbGetMap(display_, 0, XkbUseCoreKbd);
    if (xkb == nullptr) {
        return names;
    }
    if (XkbGetNames(display_, XkbKeyNamesMask, xkb) == Success && xkb->names != nullptr &&
        xkb->names->keys != nullptr) {
        names.resize(static_cast<std::size_t>(maxKeycode - minKeycode + 1));
        for (int keycode = std::max<int>(minKeycode, xkb->min_key_code);
             keycode <= std::min<int>(maxKeycode, xkb->max_key_code); ++keycode) {
            const char* name = xkb->names->keys[keycode].name;
            names[keycode - minKeycode].assign(name, strnlen(name, XkbKeyNameLength));
        }
    }
    XkbFreeKeyboard(xkb, 0, True);
    return names;
}

void InputConnection::QueryKeymap() {
    char keys[32] = {};
    XQueryKeymap(display_, keys);
    std::bitset<256> down;
    for (int keycode = 0; keycode < 256; ++keycode) {
        down[keycode] = (keys[keycode / 8] >> (keycode % 8)) & 1;
    }
    held_.Seed(down);
}

void InputConnection::Drain() {
    bool remapped = false;
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == MappingNotify) {
            XRefreshKeyboardMapping(&event.xmapping);
            remapped = remapped || event.xmapping.request == MappingKeyboard;
            continue;
        }
        if (event.type == xkbEventBase_) {
            remapped = true;
            continue;
        }
        if (ApplyRawEvent(display_, xinputOpcode_, event.xcookie, held_)) {
            inputArrived_ = true;
        }
    }
    if (remapped) {
        LoadKeyboardMapping();
    }
    if (!rawEvents_) {
        QueryKeymap();
    }
}

void InputConnection::HandleQueued() {
    if (!rawEvents_ || XEventsQueued(display_, QueuedAlready) > 0) {
        Drain();
    }
}

std::bitset<256> InputConnection::TakeKeycodesHeld() {
    return held_.Take();
}

bool InputConnection::EventsWaiting() const {
    return XPending(display_) > 0;
}

void InputConnection::FakeKey(int keycode, bool down) {
    XTestFakeKeyEvent(display_, static_cast<unsigned>(keycode), down ? True : False, CurrentTime);
    unsent_ = true;
}

void InputConnection::FakeMotion(int x, int y) {
    XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, CurrentTime);
    unsent_ = true;
}

void InputConnection::FakeButton(int button, bool down) {
    XTestFakeButtonEvent(display_, static_cast<unsigned>(button), down ? True : False, CurrentTime);
    unsent_ = true;
}

void InputConnection::Flush() {
    if (std::exchange(unsent_, false)) {
        XFlush(display_);
    }
}

void InputConnection::Sync() {
    unsent_ = false;
    XSync(display_, False);
}

bool InputConnection::Reopen() {
    Display* fresh = XOpenDisplay(displayName_.c_str());
    if (fresh == nullptr) {
        return false;
    }
    display_ = fresh;
    return true;
}

void InputConnection::DesktopKey(int keycode, bool down) {
    if (keycode <= 0 || keycode >= 256) {
        return;
    }
    if (down) {
        held_.Press(keycode);
    } else {
        held_.Release(keycode);
    }
}

} // namespace keyweave::x11
