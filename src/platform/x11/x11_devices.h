#pragma once

#include "platform/gtk/portal_shortcut.h"
#include "platform/keyboard_device.h"
#include "platform/loop/turn_clock.h"
#include "platform/mouse_device.h"
#include "platform/x11/input_connection.h"

namespace keyweave::x11 {

// Injected input stays in the connection's buffer until the main thread next pauses or pumps
// (the system driver flushes it then, Sync at exit), microseconds later: writing to the server
// wakes it and can take a tenth of a millisecond, which is better spent inside the pause than
// before it.

// The keyboard through XInput 2 key state and XTest injection. Under a Wayland session the X
// server sees keys only while an X11 window has the focus: the desktop's shortcut for the
// Start/Stop combination, where there is one, reports it from everywhere.
class X11Keyboard final : public gtk::ShortcutKeyboard {
public:
    X11Keyboard(InputConnection& input, TurnClock& turn) : input_(input), turn_(turn) {}

    KeySet HeldKeys() override;
    void SendKey(int code, bool down) override;

private:
    void ShortcutKey(int code, bool down) override;

    InputConnection& input_;
    TurnClock& turn_;
};

// The pointer: its position on the root window, XTest moves to exact pixels and XTest clicks of
// buttons 1 (left) and 3 (right). Positions count from `origin`, the primary monitor's top left
// corner on the root window.
class X11Mouse final : public MouseDevice {
public:
    X11Mouse(InputConnection& input, TurnClock& turn, ScreenPoint origin)
        : input_(input), turn_(turn), origin_(origin) {}

    ScreenPoint CursorPos() override;
    void MoveCursor(int x, int y) override;
    void SendButton(int button, bool down) override;

private:
    InputConnection& input_;
    TurnClock& turn_;
    ScreenPoint origin_;
};

} // namespace keyweave::x11
