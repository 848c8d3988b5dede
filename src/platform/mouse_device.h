#pragma once

namespace keyweave {

struct ScreenPoint {
    int x = 0;
    int y = 0;
};

// The mouse: cursor position, absolute moves and the left and right buttons.
class MouseDevice {
public:
    virtual ~MouseDevice() = default;

    // The cursor position in screen pixels; (0, 0) when it cannot be read.
    virtual ScreenPoint CursorPos() = 0;

    // Moves the cursor onto pixel (x, y) of the desktop. Positions off the screen are passed
    // on as they are; the system decides where the cursor ends up.
    virtual void MoveCursor(int x, int y) = 0;

    // Presses or releases button 1 (left) or 2 (right) wherever the cursor is.
    virtual void SendButton(int button, bool down) = 0;
};

} // namespace keyweave
