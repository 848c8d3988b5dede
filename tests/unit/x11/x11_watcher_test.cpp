#include "platform/x11/x11_watcher.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>

namespace keyweave::x11 {
namespace {

// The core event types of the X protocol (X.h, whose None clashes with GoogleTest's).
constexpr int KeyPress = 2;
constexpr int KeyRelease = 3;
constexpr int ButtonPress = 4;
constexpr int ButtonRelease = 5;
constexpr int MotionNotify = 6;

VirtualKeyMap ShiftAndA() {
    KeyboardMapping mapping;
    mapping.minKeycode = 8;
    mapping.keysymsPerKeycode = 1;
    mapping.keysyms.assign(248, 0);
    mapping.keysyms[50 - 8] = XK_Shift_L;
    mapping.keysyms[38 - 8] = XK_a;
    return VirtualKeyMap(mapping);
}

InputEvent Watch(DeviceEvent event, ServerClock& clock) {
    const auto watched = WatchedEvent(event, ShiftAndA(), {1920, 100}, clock);
    EXPECT_TRUE(watched.has_value());
    return watched.value_or(InputEvent{});
}

TEST(WatchedEvent, KeysByTheirCodeAndKeysWithoutOneByTheirKeycode) {
    ServerClock clock;
    InputEvent shift = Watch({KeyPress, 50, 1000, 2000, 300}, clock);
    EXPECT_EQ(shift.kind, InputEvent::KeyDown);
    EXPECT_EQ(shift.code, 160);
    EXPECT_EQ(shift.timeMs, 1000);
    InputEvent a = Watch({KeyRelease, 38, 1001, 0, 0}, clock);
    EXPECT_EQ(a.kind, InputEvent::KeyUp);
    EXPECT_EQ(a.code, 65);
    EXPECT_EQ(Watch({KeyPress, 49, 1002, 0, 0}, clock).code, 256 + 49);
}

TEST(WatchedEvent, ButtonsAsTheProgramNumbersThemOnTheirPixelButTheWheel) {
    ServerClock clock;
    const std::pair<int, int> buttons[] = {{1, 1}, {3, 2}, {2, 3}, {8, 4}, {9, 5}, {10, 10}};
    for (auto [xButton, button] : buttons) {
        InputEvent press = Watch({ButtonPress, xButton, 5, 1930, 150}, clock);
        EXPECT_EQ(press.kind, InputEvent::ButtonDown);
        EXPECT_EQ(press.code, button) << xButton;
        EXPECT_EQ(press.x, 10);
        EXPECT_EQ(press.y, 50);
    }
    EXPECT_EQ(Watch({ButtonRelease, 3, 5, 0, 0}, clock).kind, InputEvent::ButtonUp);
    for (int wheel = 4; wheel <= 7; ++wheel) {
        EXPECT_FALSE(WatchedEvent({ButtonPress, wheel, 5, 0, 0}, ShiftAndA(), {}, clock));
    }
    InputEvent move = Watch({MotionNotify, 0, 6, 1000, 50}, clock);
    EXPECT_EQ(move.kind, InputEvent::CursorMove);
    EXPECT_EQ(move.x, -920); // on the monitor left of the primary one
    EXPECT_EQ(move.y, -50);
}

TEST(ServerClock, GoesOnPastTheWrapAndNeverBack) {
    ServerClock clock;
    EXPECT_EQ(clock.Extend(0xFFFFFFF0u), 4294967280.0);
    EXPECT_EQ(clock.Extend(0x10u), 4294967312.0);
    EXPECT_EQ(clock.Extend(0x08u), 4294967312.0);
    EXPECT_EQ(clock.Extend(0x11u), 4294967313.0);
}

} // namespace
} // namespace keyweave::x11
