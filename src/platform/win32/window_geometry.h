#pragma once

#include <cstdint>

namespace keyweave::win32 {

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

// The Win32 window styles of a window gadget's style bits (runtime/gui/gadget.h).
struct WindowStyles {
    std::uint32_t style = 0;
    std::uint32_t exStyle = 0;
    friend bool operator==(const WindowStyles&, const WindowStyles&) = default;
};

WindowStyles WindowStylesFor(int styleBits);

// Where a window and its client area go. `shape` is the gadget's x, y, width and height;
// `frame` is what the system adds around a client area (AdjustWindowRectEx of an empty
// rectangle: left and top negative); the status bar takes `statusBarHeight` from the bottom of
// the system's client area. With `clientShape` the shape is that of the gadget's client area
// and the window grows around it; otherwise the shape is the window's and the client area
// shrinks.
struct WindowPlacement {
    Rect window;
    Rect client; // screen coordinates of the gadget's client area, status bar excluded
};

WindowPlacement PlaceWindow(Rect shape, Rect frame, int statusBarHeight, bool clientShape);

} // namespace keyweave::win32
