#pragma once

#include "platform/gadget_driver.h"
#include "platform/keyboard_device.h"
#include "platform/mouse_device.h"

namespace keyweave::win32 {

// The system-wide keyboard: GetAsyncKeyState and keybd_event.
class Win32Keyboard final : public KeyboardDevice {
public:
    KeySet HeldKeys() override;
    void SendKey(int code, bool down) override;
};

// The mouse: GetCursorPos and mouse_event. Absolute moves are scaled to the desktop size
// taken at start, the size the desktop gadget reports.
class Win32Mouse final : public MouseDevice {
public:
    explicit Win32Mouse(ScreenSize desktop) : desktop_(desktop) {}

    ScreenPoint CursorPos() override;
    void MoveCursor(int x, int y) override;
    void SendButton(int button, bool down) override;

private:
    ScreenSize desktop_;
};

} // namespace keyweave::win32
