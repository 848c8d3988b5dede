#pragma once

#include "platform/gadget_driver.h"
#include "platform/mouse_device.h"

namespace keyweave::gtk {

// Where the primary monitor lies on the X screen. The program counts every position from its
// top left corner, as Windows does, where that corner is the origin of the whole desktop; on
// X11 it need not be (a primary monitor right of another starts at x 1920).
struct MonitorArea {
    ScreenPoint origin;
    ScreenSize size;
};

// The primary monitor's area (the first monitor's when none is marked primary), as GDK reports
// it now; GTK must have been initialised.
MonitorArea PrimaryMonitorArea();

} // namespace keyweave::gtk
