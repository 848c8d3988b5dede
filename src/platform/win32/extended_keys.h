#pragma once

#include <windows.h>

namespace keyweave::win32 {

// The keys whose scan code a physical keyboard sends with the E0 prefix: the right-hand Ctrl
// and Alt, the navigation block and the arrows, the Windows and menu keys, Num Lock, the
// keypad's divide and Print Screen. They share their scan code with another key (the arrows
// with the keypad's 2, 4, 6 and 8, say), and only the extended flag tells them apart.
inline bool IsExtendedKey(BYTE key) {
    switch (key) {
    case VK_RCONTROL:
    case VK_RMENU:
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
    case VK_SNAPSHOT:
    case VK_INSERT:
    case VK_DELETE:
    case VK_LWIN:
    case VK_RWIN:
    case VK_APPS:
    case VK_DIVIDE:
    case VK_NUMLOCK:
        return true;
    default:
        return false;
    }
}

// The key code of a key event, with Shift, Ctrl and Alt told left from right as a physical
// keyboard tells them (VK_LSHIFT to VK_RMENU, the key table's 160 to 165): Shift by its scan code,
// 0x2A the left and 0x36 the right one, and Ctrl and Alt, which send 0x1D and 0x38 on both sides,
// by the E0 prefix of the right-hand ones. Any other key, and a Shift whose scan code is neither,
// keeps its virtual key.
inline int SidedKeyCode(int key, int scanCode, bool extended) {
    switch (key) {
    case VK_SHIFT:
    case VK_LSHIFT:
    case VK_RSHIFT:
        if (scanCode == 0x2A || scanCode == 0x36) {
            return scanCode == 0x36 ? VK_RSHIFT : VK_LSHIFT;
        }
        return key;
    case VK_CONTROL:
    case VK_LCONTROL:
    case VK_RCONTROL:
        return extended ? VK_RCONTROL : VK_LCONTROL;
    case VK_MENU:
    case VK_LMENU:
    case VK_RMENU:
        return extended ? VK_RMENU : VK_LMENU;
    default:
        return key;
    }
}

} // namespace keyweave::win32
