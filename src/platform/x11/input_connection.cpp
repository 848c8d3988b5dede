#include "platform/x11/input_connection.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <stdexcept>

namespace keyweave::x11 {

InputConnection::InputConnection(const std::string& displayName) {
    display_ = XOpenDisplay(displayName.c_str());
    if (display_ == nullptr) {
        throw std::runtime_error("cannot open the X display \"" + displayName + "\"");
    }
    SelectRawKeyEvents();
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
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XIEventMask mask{XIAllMasterDevices, sizeof(bits), bits};
    XISelectEvents(display_, DefaultRootWindow(display_), &mask, 1);
    XSync(display_, False);
    rawEvents_ = true;
}

void InputConnection::LoadKeyboardMapping() {
    int minKeycode = 0;
    int maxKeycode = 0;
    XDisplayKeycodes(display_, &minKeycode, &maxKeycode);
    int perKeycode = 0;
    KeySym* keysyms = XGetKeyboardMapping(display_, static_cast<KeyCode>(minKeycode),
                                          maxKeycode - minKeycode + 1, &perKeycode);
    KeyboardMapping mapping;
    mapping.minKeycode = minKeycode;
    mapping.keysymsPerKeycode = perKeycode;
    if (keysyms != nullptr) {
        mapping.keysyms.assign(keysyms, keysyms + (maxKeycode - minKeycode + 1) * perKeycode);
        XFree(keysyms);
    }
    keys_ = VirtualKeyMap(mapping);
}

void InputConnection::QueryKeymap() {
    char keys[32] = {};
    XQueryKeymap(display_, keys);
    for (int keycode = 0; keycode < 256; ++keycode) {
        keycodesDown_[keycode] = (keys[keycode / 8] >> (keycode % 8)) & 1;
    }
}

void InputConnection::Drain() {
    while (XPending(display_) > 0) {
        XEvent event;
        XNextEvent(display_, &event);
        if (event.type == MappingNotify) {
            XRefreshKeyboardMapping(&event.xmapping);
            if (event.xmapping.request == MappingKeyboard) {
                LoadKeyboardMapping();
            }
            continue;
        }
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != xinputOpcode_ ||
            !XGetEventData(display_, cookie)) {
            continue;
        }
        const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
        if (raw->detail >= 0 && raw->detail < 256) {
            if (cookie->evtype == XI_RawKeyPress) {
                keycodesDown_.set(raw->detail);
            } else if (cookie->evtype == XI_RawKeyRelease) {
                keycodesDown_.reset(raw->detail);
            }
        }
        XFreeEventData(display_, cookie);
    }
    if (!rawEvents_) {
        QueryKeymap();
    }
}

void InputConnection::Sync() {
    XSync(display_, False);
}

} // namespace keyweave::x11
