#include "platform/win32/window_geometry.h"

#include "runtime/gui/gadget.h"

#include <windows.h>

namespace keyweave::win32 {

WindowStyles WindowStylesFor(int styleBits) {
    WindowStyles styles;
    styles.style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if ((styleBits & WindowTitleBar) != 0) {
        styles.style |= WS_CAPTION | WS_SYSMENU;
        if ((styleBits & WindowResizable) != 0) {
            styles.style |= WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
        }
    } else {
        styles.style |= WS_POPUP;
    }
    if ((styleBits & WindowResizable) != 0) {
        styles.style |= WS_THICKFRAME;
    }
    if ((styleBits & WindowTool) != 0) {
        styles.exStyle |= WS_EX_TOOLWINDOW;
    }
    if ((styleBits & WindowAcceptFiles) != 0) {
        styles.exStyle |= WS_EX_ACCEPTFILES;
    }
    return styles;
}

WindowPlacement PlaceWindow(Rect shape, Rect frame, int statusBarHeight, bool clientShape) {
    const int x = shape.left;
    const int y = shape.top;
    WindowPlacement placement;
    if (clientShape) {
        placement.client = shape;
        placement.window = {x + frame.left, y + frame.top, shape.right + frame.right,
                            shape.bottom + statusBarHeight + frame.bottom};
    } else {
        placement.window = shape;
        placement.client = {x - frame.left, y - frame.top, shape.right - frame.right,
                            shape.bottom - frame.bottom - statusBarHeight};
        if (placement.client.bottom < placement.client.top) {
            placement.client.bottom = placement.client.top;
        }
        if (placement.client.right < placement.client.left) {
            placement.client.right = placement.client.left;
        }
    }
    return placement;
}

} // namespace keyweave::win32
