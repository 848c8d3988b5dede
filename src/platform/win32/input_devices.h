#pragma once

#include "platform/gadget_driver.h"
#include "platform/keyboard_device.h"
#include "platform/loop/turn_clock.h"
#include "platform/mouse_device.h"
#include "platform/win32/key_change_watch.h"

namespace keyweave::win32 {

// The system-wide keyboard: GetAsyncKeyState and keybd_event. A poll asks only the keys that
// may have changed since the previous one (under Wine every question is a round trip).
class Win32Keyboard final : public KeyboardDevice {
public:
    Win32Keyboard(KeyChangeWatch& changes, TurnClock& turn) : changes_(changes), turn_(turn) {}

    KeySet HeldKeys() override;
    KeySet HeldKeysAmong(const KeySet& codes) override;
    void SendKey(int code, bool down) override;

private:
    KeyChangeWatch& changes_;
    TurnClock& turn_;
    KeySet asked_;
    KeySet held_;
};

// The mouse: GetCursorPos and mouse_event. Absolute moves are scaled to the desktop size
// taken at start, the size the desktop gadget reports.
class Win32Mouse final : public MouseDevice {
public:
    Win32Mouse(ScreenSize desktop, TurnClock& turn) : desktop_(desktop), turn_(turn) {}

    ScreenPoint CursorPos() override;
    void MoveCursor(int x, int y) override;
    void SendButton(int button, bool down) override;

private:
    ScreenSize desktop_;
    TurnClock& turn_;
};

} // namespace keyweave::win32
