#include "platform/x11/x11_devices.h"

#include <X11/Xlib.h>

namespace keyweave::x11 {
namespace {

// The X button of the program's button 1 (left) or 2 (right); 0 for any other.
int XButtonOf(int button) {
    switch (button) {
    case 1:
        return 1;
    case 2:
        return 3;
    default:
        return 0;
    }
}

} // namespace

KeySet X11Keyboard::HeldKeys() {
    input_.HandleQueued();
    return input_.Keys().HeldKeys(input_.TakeKeycodesHeld());
}

void X11Keyboard::SendKey(int code, bool down) {
    input_.Drain();
    int keycode = input_.Keys().KeycodeOf(code);
    if (keycode == 0) {
        return;
    }
    turn_.Sending();
    input_.FakeKey(keycode, down);
}

void X11Keyboard::ShortcutKey(int code, bool down) {
    input_.DesktopKey(input_.Keys().KeycodeOf(code), down);
}

ScreenPoint X11Mouse::CursorPos() {
    Display* display = input_.Get();
    Window root = 0;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned mask = 0;
    if (!XQueryPointer(display, DefaultRootWindow(display), &root, &child, &rootX, &rootY, &windowX,
                       &windowY, &mask)) {
        return {};
    }
    return {rootX - origin_.x, rootY - origin_.y};
}

void X11Mouse::MoveCursor(int x, int y) {
    turn_.Sending();
    input_.FakeMotion(origin_.x + x, origin_.y + y);
}

void X11Mouse::SendButton(int button, bool down) {
    int xButton = XButtonOf(button);
    if (xButton == 0) {
        return;
    }
    turn_.Sending();
    input_.FakeButton(xButton, down);
}

} // namespace keyweave::x11
