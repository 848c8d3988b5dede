#include "platform/wayland/wayland_outputs.h"

#include <algorithm>

namespace keyweave::wayland {
namespace {

gtk::MonitorArea AreaOf(const Output& output) {
    if (output.logical) {
        return *output.logical;
    }
    const int scale = std::max(output.scale, 1);
    return {{output.x, output.y}, {output.modeWidth / scale, output.modeHeight / scale}};
}

} // namespace

LayoutArea LayoutOf(const std::vector<Output>& outputs) {
    if (outputs.empty()) {
        return {};
    }
    const gtk::MonitorArea first = AreaOf(outputs.front());
    int left = first.origin.x;
    int top = first.origin.y;
    int right = left + first.size.width;
    int bottom = top + first.size.height;
    for (const Output& output : outputs) {
        const gtk::MonitorArea area = AreaOf(output);
        left = std::min(left, area.origin.x);
        top = std::min(top, area.origin.y);
        right = std::max(right, area.origin.x + area.size.width);
        bottom = std::max(bottom, area.origin.y + area.size.height);
    }
    return {left, top, right - left, bottom - top};
}

gtk::MonitorArea PrimaryOf(const std::vector<Output>& outputs) {
    if (outputs.empty()) {
        return {};
    }
    const auto atOrigin = std::find_if(outputs.begin(), outputs.end(), [](const Output& output) {
        const gtk::MonitorArea area = AreaOf(output);
        return area.origin.x == 0 && area.origin.y == 0;
    });
    return AreaOf(atOrigin != outputs.end() ? *atOrigin : outputs.front());
}

} // namespace keyweave::wayland
