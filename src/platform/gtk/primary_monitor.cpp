#include "platform/gtk/primary_monitor.h"

#include <gtk/gtk.h>

namespace keyweave::gtk {

MonitorArea PrimaryMonitorArea() {
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (monitor == nullptr) {
        monitor = gdk_display_get_monitor(display, 0);
    }
    if (monitor == nullptr) {
        return {};
    }
    GdkRectangle area{};
    gdk_monitor_get_geometry(monitor, &area);
    return {{area.x, area.y}, {area.width, area.height}};
}

} // namespace keyweave::gtk
