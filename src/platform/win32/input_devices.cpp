#include "platform/win32/input_devices.h"

#include "input/mouse.h"

#include <windows.h>

namespace keyweave::win32 {

KeySet Win32Keyboard::HeldKeys() {
    KeySet held;
    for (int code = 32; code <= 255; ++code) {
        if ((GetAsyncKeyState(code) & 0x8000) != 0) {
            held.set(static_cast<std::size_t>(code));
        }
    }
    return held;
}

void Win32Keyboard::SendKey(int code, bool down) {
    keybd_event(static_cast<BYTE>(code & 0xFF), 0, down ? 0 : KEYEVENTF_KEYUP, 0);
}

ScreenPoint Win32Mouse::CursorPos() {
    POINT cursor{};
    if (!GetCursorPos(&cursor)) {
        return {};
    }
    return {cursor.x, cursor.y};
}

// The system maps an absolute coordinate back to a pixel as (value * size) >> 16: the centre
// of each pixel lands on that pixel on every column and row.
void Win32Mouse::MoveCursor(int x, int y) {
    const auto dx = static_cast<DWORD>(TMouse::AbsMousePos(x, desktop_.width));
    const auto dy = static_cast<DWORD>(TMouse::AbsMousePos(y, desktop_.height));
    mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, dx, dy, 0, 0);
}

void Win32Mouse::SendButton(int button, bool down) {
    DWORD flags = 0;
    if (button == 1) {
        flags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    } else if (button == 2) {
        flags = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
    } else {
        return;
    }
    mouse_event(flags, 0, 0, 0, 0);
}

} // namespace keyweave::win32
