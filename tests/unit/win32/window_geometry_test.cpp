#include "platform/win32/window_geometry.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace keyweave::win32 {
namespace {

// A caption of 22 pixels and a border of 3, as AdjustWindowRectEx reports them.
constexpr Rect kFrame{-3, -25, 3, 3};

TEST(WindowGeometryTest, TheMainWindowsClientAreaKeepsItsShapeAndTheFrameGrowsAroundIt) {
    // 600 x 400 centred on a 1024 x 768 desktop: x = 212, y = 184.
    const WindowPlacement placed = PlaceWindow({212, 184, 812, 584}, kFrame, 20, true);
    EXPECT_EQ(placed.client, (Rect{212, 184, 812, 584}));
    EXPECT_EQ(placed.window, (Rect{209, 159, 815, 607}));
    EXPECT_EQ(placed.window.Height() - placed.client.Height(), 25 + 20 + 3);
}

TEST(WindowGeometryTest, AShapeOfTheWholeWindowLeavesTheRestToTheClientArea) {
    const WindowPlacement placed = PlaceWindow({100, 50, 400, 300}, kFrame, 20, false);
    EXPECT_EQ(placed.window, (Rect{100, 50, 400, 300}));
    EXPECT_EQ(placed.client, (Rect{103, 75, 397, 277}));
}

TEST(WindowGeometryTest, AWindowTooSmallForItsFrameHasAnEmptyClientArea) {
    const WindowPlacement placed = PlaceWindow({0, 0, 4, 30}, kFrame, 20, false);
    EXPECT_EQ(placed.client.Width(), 0);
    EXPECT_EQ(placed.client.Height(), 0);
}

TEST(WindowGeometryTest, AWindowLargerThanTheDesktopKeepsItsNegativePosition) {
    const WindowPlacement placed = PlaceWindow({-88, -16, 1112, 784}, kFrame, 0, true);
    EXPECT_EQ(placed.window, (Rect{-91, -41, 1115, 787}));
}

TEST(WindowStylesTest, TheMainWindowHasATitleBarAndCannotBeResized) {
    const WindowStyles styles = WindowStylesFor(553);
    EXPECT_EQ(styles.style & (WS_CAPTION | WS_SYSMENU), DWORD{WS_CAPTION | WS_SYSMENU});
    EXPECT_EQ(styles.style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_POPUP), 0u);
    EXPECT_EQ(styles.style & (WS_CLIPCHILDREN | WS_CLIPSIBLINGS),
              DWORD{WS_CLIPCHILDREN | WS_CLIPSIBLINGS});
    EXPECT_EQ(styles.style & WS_VISIBLE, 0u);
    EXPECT_EQ(styles.exStyle, 0u);
}

} // namespace
} // namespace keyweave::win32
