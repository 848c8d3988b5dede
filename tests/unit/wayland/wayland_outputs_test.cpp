#include "platform/wayland/wayland_outputs.h"

#include <gtest/gtest.h>

namespace keyweave::wayland {
namespace {

TEST(WaylandOutputs, TheLayoutHoldsEveryOutputInLogicalPixels) {
    EXPECT_EQ(LayoutOf({}).width, 0);
    const LayoutArea one = LayoutOf({{0, 0, 1280, 800, 1, {}}});
    EXPECT_EQ(one.width, 1280);
    EXPECT_EQ(one.height, 800);
    // A high-density output left of the origin, at scale 2, and a taller one right of it.
    const LayoutArea three = LayoutOf({{0, 0, 1920, 1080, 1, {}},
                                       {-1280, 0, 2560, 1440, 2, {}},
                                       {1920, -200, 1024, 1280, 1, {}}});
    EXPECT_EQ(three.x, -1280);
    EXPECT_EQ(three.y, -200);
    EXPECT_EQ(three.width, 1280 + 1920 + 1024);
    EXPECT_EQ(three.height, 1280);
    // wlroots places every output at 0, 0 in its wl_output description: the logical areas
    // (xdg-output) tell where they are, and the primary one is the one whose area begins at
    // the origin.
    const std::vector<Output> sideBySide = {
        {0, 0, 1920, 1080, 1, gtk::MonitorArea{{1280, 0}, {1920, 1080}}},
        {0, 0, 2560, 1600, 2, gtk::MonitorArea{{0, 0}, {1280, 800}}}};
    const LayoutArea both = LayoutOf(sideBySide);
    EXPECT_EQ(both.width, 1280 + 1920);
    EXPECT_EQ(both.height, 1080);
    EXPECT_EQ(PrimaryOf(sideBySide).size.width, 1280);
}

TEST(WaylandOutputs, ThePrimaryOutputIsTheOneAtTheOrigin) {
    const gtk::MonitorArea primary =
        PrimaryOf({{-1280, 0, 2560, 1440, 2, {}}, {0, 0, 1920, 1080, 1, {}}});
    EXPECT_EQ(primary.origin.x, 0);
    EXPECT_EQ(primary.size.width, 1920);
    EXPECT_EQ(primary.size.height, 1080);
    const gtk::MonitorArea first = PrimaryOf({{100, 50, 800, 600, 1, {}}});
    EXPECT_EQ(first.origin.x, 100);
    EXPECT_EQ(first.origin.y, 50);
    EXPECT_EQ(PrimaryOf({}).size.width, 0);
}

} // namespace
} // namespace keyweave::wayland
