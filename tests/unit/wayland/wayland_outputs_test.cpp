#include "platform/wayland/wayland_outputs.h"

#include <gtest/gtest.h>

namespace keyweave::wayland {
namespace {

TEST(WaylandOutputs, TheLayoutHoldsEveryOutputInLogicalPixels) {
    EXPECT_EQ(LayoutOf({}).width, 0);
    const LayoutArea one = LayoutOf({{0, 0, 1280, 800, 1}});
    EXPECT_EQ(one.width, 1280);
    EXPECT_EQ(one.height, 800);
    // A high-density output left of the origin, at scale 2, and a taller one right of it.
    const LayoutArea three =
        LayoutOf({{0, 0, 1920, 1080, 1}, {-1280, 0, 2560, 1440, 2}, {1920, -200, 1024, 1280, 1}});
    EXPECT_EQ(three.x, -1280);
    EXPECT_EQ(three.y, -200);
    EXPECT_EQ(three.width, 1280 + 1920 + 1024);
    EXPECT_EQ(three.height, 1280);
}

TEST(WaylandOutputs, ThePrimaryOutputIsTheOneAtTheOrigin) {
    const gtk::MonitorArea primary = PrimaryOf({{-1280, 0, 2560, 1440, 2}, {0, 0, 1920, 1080, 1}});
    EXPECT_EQ(primary.origin.x, 0);
    EXPECT_EQ(primary.size.width, 1920);
    EXPECT_EQ(primary.size.height, 1080);
    const gtk::MonitorArea first = PrimaryOf({{100, 50, 800, 600, 1}});
    EXPECT_EQ(first.origin.x, 100);
    EXPECT_EQ(first.origin.y, 50);
    EXPECT_EQ(PrimaryOf({}).size.width, 0);
}

} // namespace
} // namespace keyweave::wayland
