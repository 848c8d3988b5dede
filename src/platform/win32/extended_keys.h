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

} // namespace keyweave::win32
