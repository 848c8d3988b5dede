#pragma once

#include "platform/gtk/primary_monitor.h"

#include <optional>
#include <vector>

namespace keyweave::wayland {

// One output as the compositor describes it: its place in the layout and its mode's size in
// device pixels, with its scale (wl_output, whose place wlroots always gives as 0, 0); and its
// place and size in the layout (xdg-output), where the compositor offers that.
struct Output {
    int x = 0;
    int y = 0;
    int modeWidth = 0;
    int modeHeight = 0;
    int scale = 1;
    std::optional<gtk::MonitorArea> logical;
};

// The outputs' layout: the rectangle that holds them all, in the layout's own pixels.
struct LayoutArea {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The smallest rectangle that holds every output (each its logical area, else its mode's size
// divided by its scale at its place); empty without outputs.
LayoutArea LayoutOf(const std::vector<Output>& outputs);

// The output whose top left corner is the layout's origin, or the first one, as the primary
// monitor: scripts count their pixels from its corner and its size is the desktop's.
gtk::MonitorArea PrimaryOf(const std::vector<Output>& outputs);

} // namespace keyweave::wayland
