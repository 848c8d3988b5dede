#include "platform/win32/raw_input.h"
#include "runtime/events/event.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace keyweave::win32 {
namespace {

constexpr std::uintptr_t kFirst = 0x100;
constexpr std::uintptr_t kSecond = 0x200;

std::int64_t KeyLParam(int scan, bool extended, bool repeat) {
    std::int64_t lParam = 1 | (static_cast<std::int64_t>(scan) << 16);
    if (extended) {
        lParam |= std::int64_t{1} << 24;
    }
    if (repeat) {
        lParam |= std::int64_t{1} << 30;
    }
    return lParam;
}

std::int64_t Position(int x, int y) {
    return static_cast<std::int64_t>(static_cast<std::uint16_t>(x)) |
           (static_cast<std::int64_t>(static_cast<std::uint16_t>(y)) << 16);
}

class RawInputTest : public ::testing::Test {
protected:
    RawWindow Window(std::uintptr_t handle) {
        return {handle, handle == kFirst ? first : second, 300, 200};
    }

    std::vector<RawAction> Send(std::uintptr_t window, std::uint32_t message, std::uint64_t wParam,
                                std::int64_t lParam) {
        return translator.Translate(Window(window), {message, wParam, lParam}, 1000, 700, true);
    }

    RawAction OnlyEvent(const std::vector<RawAction>& actions) {
        EXPECT_EQ(actions.size(), 1u);
        EXPECT_EQ(actions.front().kind, RawAction::Emit);
        return actions.front();
    }

    std::vector<RawAction::Kind> Kinds(const std::vector<RawAction>& actions) {
        std::vector<RawAction::Kind> kinds;
        for (const RawAction& action : actions) {
            kinds.push_back(action.kind);
        }
        return kinds;
    }

    std::vector<int> EventIds(const std::vector<RawAction>& actions) {
        std::vector<int> ids;
        for (const RawAction& action : actions) {
            if (action.kind == RawAction::Emit) {
                ids.push_back(action.id);
            }
        }
        return ids;
    }

    ObjectRef first = std::make_shared<TObject>();
    ObjectRef second = std::make_shared<TObject>();
    RawInputTranslator translator;
};

TEST(RawKeyCodeTest, ModifiersAreToldApartByScanCodeAndExtendedFlag) {
    EXPECT_EQ(RawKeyCode(VK_SHIFT, KeyLParam(42, false, false)), 160);
    EXPECT_EQ(RawKeyCode(VK_SHIFT, KeyLParam(54, false, false)), 161);
    EXPECT_EQ(RawKeyCode(VK_CONTROL, KeyLParam(29, false, false)), 162);
    EXPECT_EQ(RawKeyCode(VK_CONTROL, KeyLParam(29, true, false)), 163);
    EXPECT_EQ(RawKeyCode(VK_MENU, KeyLParam(56, false, false)), 164);
    EXPECT_EQ(RawKeyCode(VK_MENU, KeyLParam(56, true, false)), 165);
}

TEST(RawKeyCodeTest, OtherKeysAndUnknownScanCodesKeepTheirVirtualKey) {
    // An injected modifier without a scan code stays the generic modifier.
    EXPECT_EQ(RawKeyCode(VK_SHIFT, KeyLParam(0, false, false)), VK_SHIFT);
    EXPECT_EQ(RawKeyCode(VK_CONTROL, KeyLParam(0, true, false)), VK_CONTROL);
    // Scan bit 7 (0x80) lies outside bits 16..22 and does not count.
    EXPECT_EQ(RawKeyCode(VK_SHIFT, KeyLParam(42 | 0x80, false, false)), 160);
    // A scan code of a modifier on another key does not change that key.
    EXPECT_EQ(RawKeyCode('A', KeyLParam(29, false, false)), 'A');
    EXPECT_EQ(RawKeyCode(VK_LEFT, KeyLParam(75, true, false)), VK_LEFT);
}

TEST_F(RawInputTest, KeyMessagesBecomeKeyEventsWithRepeatsFromBit30) {
    RawAction down = OnlyEvent(Send(kFirst, WM_KEYDOWN, VK_SHIFT, KeyLParam(42, false, false)));
    EXPECT_EQ(down.id, KeyDown);
    EXPECT_EQ(down.data, 160);
    EXPECT_EQ(down.source, first);

    EXPECT_EQ(OnlyEvent(Send(kFirst, WM_KEYDOWN, 'A', KeyLParam(30, false, true))).id, KeyRepeat);
    EXPECT_EQ(OnlyEvent(Send(kFirst, WM_SYSKEYDOWN, VK_F4, KeyLParam(62, false, false))).id,
              KeyDown);
    RawAction up = OnlyEvent(Send(kFirst, WM_SYSKEYUP, VK_MENU, KeyLParam(56, true, true)));
    EXPECT_EQ(up.id, KeyUp);
    EXPECT_EQ(up.data, 165);

    RawAction character = OnlyEvent(Send(kFirst, WM_CHAR, 0x00E9, 0));
    EXPECT_EQ(character.id, KeyChar);
    EXPECT_EQ(character.data, 0xE9);
}

TEST_F(RawInputTest, VirtualKeysOutside1To255AreNotTranslated) {
    EXPECT_TRUE(Send(kFirst, WM_KEYDOWN, 0, KeyLParam(0, false, false)).empty());
    EXPECT_TRUE(Send(kFirst, WM_KEYUP, 256, KeyLParam(0, false, false)).empty());
    EXPECT_EQ(OnlyEvent(Send(kFirst, WM_KEYUP, 255, 0)).data, 255);
}

TEST_F(RawInputTest, ButtonsCaptureTheMouseBeforeTheirEventAndReleaseItOnTheWayUp) {
    auto down = Send(kFirst, WM_RBUTTONDOWN, MK_RBUTTON, Position(10, 20));
    ASSERT_EQ(Kinds(down), (std::vector{RawAction::SetCapture, RawAction::Emit}));
    EXPECT_EQ(down[0].window, kFirst);
    EXPECT_EQ(down[1].id, MouseDown);
    EXPECT_EQ(down[1].data, 2);
    EXPECT_EQ(down[1].x, 10);
    EXPECT_EQ(down[1].y, 20);

    auto up = Send(kFirst, WM_MBUTTONUP, 0, Position(-5, 7));
    ASSERT_EQ(Kinds(up), (std::vector{RawAction::ReleaseCapture, RawAction::Emit}));
    EXPECT_EQ(up[1].id, MouseUp);
    EXPECT_EQ(up[1].data, 3);
    EXPECT_EQ(up[1].x, -5);

    EXPECT_EQ(Send(kFirst, WM_LBUTTONDOWN, MK_LBUTTON, 0)[1].data, 1);
    EXPECT_TRUE(Send(kFirst, WM_LBUTTONDBLCLK, MK_LBUTTON, 0).empty());
}

TEST_F(RawInputTest, MoveDataNamesOneHeldButtonRightOverMiddleOverLeft) {
    Send(kFirst, WM_MOUSEMOVE, 0, Position(1, 1));
    auto data = [&](std::uint64_t held) {
        return Send(kFirst, WM_MOUSEMOVE, held, Position(2, 2)).back().data;
    };
    EXPECT_EQ(data(0), 0);
    EXPECT_EQ(data(MK_LBUTTON), 1);
    EXPECT_EQ(data(MK_MBUTTON | MK_LBUTTON), 4);
    EXPECT_EQ(data(MK_RBUTTON | MK_MBUTTON | MK_LBUTTON), 2);
    EXPECT_EQ(data(MK_SHIFT), 0);
}

TEST_F(RawInputTest, TheFirstMoveInsideEntersAndAsksForALeaveNotification) {
    auto actions = Send(kFirst, WM_MOUSEMOVE, 0, Position(5, 6));
    ASSERT_EQ(Kinds(actions),
              (std::vector{RawAction::Emit, RawAction::TrackLeave, RawAction::Emit}));
    EXPECT_EQ(actions[0].id, MouseEnter);
    EXPECT_EQ(actions[0].x, 5);
    EXPECT_EQ(actions[0].y, 6);
    EXPECT_EQ(actions[1].window, kFirst);
    EXPECT_EQ(actions[2].id, MouseMove);
    EXPECT_EQ(translator.TrackedWindow(), kFirst);

    EXPECT_EQ(EventIds(Send(kFirst, WM_MOUSEMOVE, 0, Position(6, 6))),
              (std::vector<int>{MouseMove}));
}

TEST_F(RawInputTest, AMoveToANegativeOrOutsidePositionLeavesTheWindow) {
    Send(kFirst, WM_MOUSEMOVE, 0, Position(5, 6));
    auto left = Send(kFirst, WM_MOUSEMOVE, MK_LBUTTON, Position(-1, 6));
    EXPECT_EQ(EventIds(left), (std::vector<int>{MouseLeave, MouseMove}));
    // The leave reports the cursor, to be converted to the window's client coordinates.
    EXPECT_TRUE(left[0].screenPosition);
    EXPECT_EQ(left[0].x, 1000);
    EXPECT_EQ(left[0].y, 700);
    EXPECT_EQ(left[0].window, kFirst);
    EXPECT_EQ(translator.TrackedWindow(), 0u);

    Send(kFirst, WM_MOUSEMOVE, 0, Position(299, 199));
    EXPECT_EQ(translator.TrackedWindow(), kFirst);
    EXPECT_EQ(EventIds(Send(kFirst, WM_MOUSEMOVE, 0, Position(300, 100))),
              (std::vector<int>{MouseLeave, MouseMove}));
    EXPECT_EQ(EventIds(Send(kFirst, WM_MOUSEMOVE, 0, Position(10, 200))),
              (std::vector<int>{MouseMove}));
}

TEST_F(RawInputTest, MovingIntoAnotherWindowLeavesTheOldOneFirst) {
    Send(kFirst, WM_MOUSEMOVE, 0, Position(5, 6));
    auto actions = Send(kSecond, WM_MOUSEMOVE, 0, Position(7, 8));
    ASSERT_EQ(EventIds(actions), (std::vector<int>{MouseLeave, MouseEnter, MouseMove}));
    EXPECT_EQ(actions[0].source, first);
    EXPECT_EQ(actions[0].window, kFirst);
    EXPECT_EQ(actions[1].source, second);
    EXPECT_EQ(translator.TrackedWindow(), kSecond);
}

TEST_F(RawInputTest, TheLeaveNotificationOnlyCountsForTheTrackedWindow) {
    EXPECT_TRUE(Send(kFirst, WM_MOUSELEAVE, 0, 0).empty());
    Send(kFirst, WM_MOUSEMOVE, 0, Position(5, 6));
    EXPECT_TRUE(Send(kSecond, WM_MOUSELEAVE, 0, 0).empty());
    auto left = Send(kFirst, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(EventIds(left), (std::vector<int>{MouseLeave}));
    EXPECT_TRUE(Send(kFirst, WM_MOUSELEAVE, 0, 0).empty());
}

TEST_F(RawInputTest, AGoneWindowGetsNoLeaveEvent) {
    Send(kSecond, WM_MOUSEMOVE, 0, Position(5, 6));
    second.reset();
    EXPECT_EQ(EventIds(Send(kFirst, WM_MOUSEMOVE, 0, Position(5, 6))),
              (std::vector<int>{MouseEnter, MouseMove}));
}

TEST_F(RawInputTest, TheCursorHidesOnlyOverATrackedWindowWhileTheMouseIsInvisible) {
    auto inside =
        translator.Translate(Window(kFirst), {WM_MOUSEMOVE, 0, Position(5, 6)}, 0, 0, false);
    EXPECT_EQ(Kinds(inside), (std::vector{RawAction::HideCursor, RawAction::Emit,
                                          RawAction::TrackLeave, RawAction::Emit}));
    auto outside =
        translator.Translate(Window(kFirst), {WM_MOUSEMOVE, 0, Position(-3, 6)}, 0, 0, false);
    EXPECT_EQ(Kinds(outside),
              (std::vector{RawAction::Emit, RawAction::ShowCursor, RawAction::Emit}));
    EXPECT_EQ(Kinds(Send(kFirst, WM_MOUSEMOVE, 0, Position(5, 6))),
              (std::vector{RawAction::Emit, RawAction::TrackLeave, RawAction::Emit}));
}

TEST_F(RawInputTest, TheWheelGivesWholeStepsTowardZeroAtAScreenPosition) {
    auto wheel = [&](int delta) {
        return OnlyEvent(Send(kFirst, WM_MOUSEWHEEL,
                              static_cast<std::uint64_t>(static_cast<std::uint16_t>(delta)) << 16,
                              Position(640, -20)));
    };
    RawAction up = wheel(240);
    EXPECT_EQ(up.id, MouseWheel);
    EXPECT_EQ(up.data, 2);
    EXPECT_TRUE(up.screenPosition);
    EXPECT_EQ(up.x, 640);
    EXPECT_EQ(up.y, -20);
    EXPECT_EQ(wheel(-120).data, -1);
    EXPECT_EQ(wheel(-200).data, -1);
    EXPECT_EQ(wheel(119).data, 0);
}

TEST_F(RawInputTest, ApplicationMessages) {
    EXPECT_EQ(OnlyEvent(Send(kFirst, WM_CLOSE, 0, 0)).id, AppTerminate);
    EXPECT_EQ(OnlyEvent(Send(kFirst, WM_ACTIVATEAPP, 1, 0)).id, AppResume);
    EXPECT_EQ(OnlyEvent(Send(kFirst, WM_ACTIVATEAPP, 0, 0)).id, AppSuspend);
    EXPECT_TRUE(Send(kFirst, WM_PAINT, 0, 0).empty());
}

} // namespace
} // namespace keyweave::win32
