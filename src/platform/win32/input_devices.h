#pragma once

#include "platform/gadget_driver.h"
#include "platform/keyboard_device.h"
#include "platform/mouse_device.h"
#include "platform/win32/key_change_watch.h"
#include "platform/win32/sending_clock.h"

namespace keyweave::win32 {

// The system-wide keyboard: GetAsyncKeyState and keybd_event. A poll asks only the keys that
// may have changed since the previous one (under Wine every question is a round trip).
class Win32Keyboard final : public KeyboardDevice {
public:
    Win32Keyboard(KeyChangeWatch& changes, SendingClock& sending)
        : changes_(changes), sending_(sending) {}

    KeySet HeldKeys() override;
    KeySet HeldKeysAmong(const KeySet& codes) override;
    void SendKey(int code, bool down) override;

private:
    KeyChangeWatch& changes_;
    SendingClock& sending_;
    KeySet asked_;
    KeySet held_;
};

// The mouse: GetCursorPos and mouse_event. Absolute moves are scaled to the desktop size
// taken at start, the size the desktop gadget reports.
class Win32Mouse final : public MouseDevice {
public:
    Win32Mouse(ScreenSize desktop, SendingClock& sending) : desktop_(desktop), sending_(sending) {}

    ScreenPoint CursorPos() override;
    void MoveCursor(int x, int y) override;
    void SendButton(int button, bool down) override;

private:
    ScreenSize desktop_;
    SendingClock& sending_;
};

} // namespace keyweave::win32
