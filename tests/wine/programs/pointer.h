#pragma once

#include <windows.h>

// Moves the cursor onto a screen pixel as a mouse would: an absolute mouse_event to the centre
// of the pixel, which the system maps back to exactly that pixel.
inline void MovePointer(int x, int y) {
    const auto centre = [](int pixel, int size) {
        return static_cast<DWORD>((static_cast<long long>(pixel) * 65536 + 32768) / size);
    };
    mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, centre(x, GetSystemMetrics(SM_CXSCREEN)),
                centre(y, GetSystemMetrics(SM_CYSCREEN)), 0, 0);
}
