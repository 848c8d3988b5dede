#include "platform/win32/input_devices.h"

#include "platform/absolute_move.h"
#include "platform/win32/extended_keys.h"
#include "platform/win32/performance_clock.h"

#include <windows.h>

namespace keyweave::win32 {

KeySet Win32Keyboard::HeldKeys() {
    KeySet everyCode;
    for (std::size_t code = 32; code <= 255; ++code) {
        everyCode.set(code);
    }
    return HeldKeysAmong(everyCode);
}

KeySet Win32Keyboard::HeldKeysAmong(const KeySet& codes) {
    const KeySet wanted = codes & ~KeySet(0xFFFFFFFFu);
    const double now = NowMs();
    KeySet ask = changes_.KeysToAsk(wanted, now);
    if (wanted != asked_) {
        ask = wanted;
        asked_ = wanted;
    }
    for (std::size_t code = 32; code <= 255; ++code) {
        if (ask.test(code)) {
            held_.set(code, (GetAsyncKeyState(static_cast<int>(code)) & 0x8000) != 0);
        }
    }
    held_ &= wanted;
    return changes_.HeldAfterReports(wanted, held_, now);
}

// Programs that read scan codes rather than virtual keys (games with DirectInput or raw input,
// remote-desktop and virtual-machine windows) see the key only with the scan code that it has
// on the current layout, and its extended flag.
void Win32Keyboard::SendKey(int code, bool down) {
    const auto key = static_cast<BYTE>(code & 0xFF);
    const auto scan = static_cast<BYTE>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
    DWORD flags = down ? 0 : KEYEVENTF_KEYUP;
    if (IsExtendedKey(key)) {
        flags |= KEYEVENTF_EXTENDEDKEY;
    }
    turn_.Sending();
    keybd_event(key, scan, flags, 0);
}

ScreenPoint Win32Mouse::CursorPos() {
    POINT cursor{};
    if (!GetCursorPos(&cursor)) {
        return {};
    }
    return {cursor.x, cursor.y};
}

void Win32Mouse::MoveCursor(int x, int y) {
    const auto dx = static_cast<DWORD>(AbsoluteMoveCoordinate(x, desktop_.width));
    const auto dy = static_cast<DWORD>(AbsoluteMoveCoordinate(y, desktop_.height));
    turn_.Sending();
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
    turn_.Sending();
    mouse_event(flags, 0, 0, 0, 0);
}

} // namespace keyweave::win32
