#include "platform/win32/input_watcher.h"

#include <gtest/gtest.h>
#include <tuple>
#include <windows.h>

namespace keyweave::win32 {
namespace {

RAWKEYBOARD Key(USHORT key, USHORT scan, USHORT flags = 0) {
    RAWKEYBOARD report{};
    report.VKey = key;
    report.MakeCode = scan;
    report.Flags = flags;
    return report;
}

TEST(WatchedKeyCodeTest, ModifiersAreToldApartAsAPhysicalKeyboardTellsThem) {
    EXPECT_EQ(WatchedKeyCode(Key(VK_SHIFT, 0x2A)), VK_LSHIFT);
    EXPECT_EQ(WatchedKeyCode(Key(VK_SHIFT, 0x36)), VK_RSHIFT);
    EXPECT_EQ(WatchedKeyCode(Key(VK_CONTROL, 0x1D)), VK_LCONTROL);
    EXPECT_EQ(WatchedKeyCode(Key(VK_CONTROL, 0x1D, RI_KEY_E0)), VK_RCONTROL);
    EXPECT_EQ(WatchedKeyCode(Key(VK_MENU, 0x38)), VK_LMENU);
    EXPECT_EQ(WatchedKeyCode(Key(VK_MENU, 0x38, RI_KEY_E0 | RI_KEY_BREAK)), VK_RMENU);
    // The scan code and the prefix decide over a sided virtual key.
    EXPECT_EQ(WatchedKeyCode(Key(VK_RSHIFT, 0x2A)), VK_LSHIFT);
    EXPECT_EQ(WatchedKeyCode(Key(VK_RCONTROL, 0x1D)), VK_LCONTROL);
    // Without a scan code, only a sided virtual key names the right Shift.
    EXPECT_EQ(WatchedKeyCode(Key(VK_SHIFT, 0)), VK_LSHIFT);
    EXPECT_EQ(WatchedKeyCode(Key(VK_RSHIFT, 0)), VK_RSHIFT);
    EXPECT_EQ(WatchedKeyCode(Key(VK_CONTROL, 0, RI_KEY_E0)), VK_RCONTROL);
}

TEST(WatchedKeyCodeTest, OtherKeysKeepTheirVirtualKeyAndFakeKeysAreNone) {
    EXPECT_EQ(WatchedKeyCode(Key('A', 0x1E)), 'A');
    EXPECT_EQ(WatchedKeyCode(Key(VK_LEFT, 0x4B, RI_KEY_E0)), VK_LEFT);
    EXPECT_EQ(WatchedKeyCode(Key(VK_ESCAPE, 0x01)), VK_ESCAPE);
    EXPECT_EQ(WatchedKeyCode(Key(0xFF, 0x2A, RI_KEY_E0)), 0);
    EXPECT_EQ(WatchedKeyCode(Key(0, 0)), 0);
}

RAWINPUT KeyReport(USHORT key, USHORT scan, bool up) {
    RAWINPUT report{};
    report.header.dwType = RIM_TYPEKEYBOARD;
    report.data.keyboard = Key(key, scan, up ? RI_KEY_BREAK : 0);
    return report;
}

RAWINPUT MouseReport(LONG dx, LONG dy, USHORT buttons = 0, USHORT flags = MOUSE_MOVE_RELATIVE) {
    RAWINPUT report{};
    report.header.dwType = RIM_TYPEMOUSE;
    report.data.mouse.usFlags = flags;
    report.data.mouse.usButtonFlags = buttons;
    report.data.mouse.lLastX = dx;
    report.data.mouse.lLastY = dy;
    return report;
}

using Seen = std::tuple<InputEvent::Kind, int, int, int, double>;

std::vector<Seen> Take(WatchedInput& input) {
    std::vector<InputEvent> events;
    input.TakeComplete(events);
    std::vector<Seen> seen;
    for (const InputEvent& event : events) {
        seen.emplace_back(event.kind, event.code, event.x, event.y, event.timeMs);
    }
    return seen;
}

TEST(WatchedInputTest, KeysAndButtonsAreReportedAtOnceWithTheirTimes) {
    WatchedInput input;
    input.Add(KeyReport(VK_SHIFT, 0x36, false), 10, {0, 0});
    input.Add(MouseReport(0, 0, RI_MOUSE_LEFT_BUTTON_DOWN), 12.5, {300, 200});
    input.Add(MouseReport(0, 0, RI_MOUSE_LEFT_BUTTON_UP | RI_MOUSE_RIGHT_BUTTON_DOWN), 13,
              {300, 200});
    input.Add(KeyReport(VK_SHIFT, 0x36, true), 14, {0, 0});
    input.Add(MouseReport(0, 0, RI_MOUSE_MIDDLE_BUTTON_DOWN | RI_MOUSE_BUTTON_5_UP), 15, {1, 2});
    input.Add(MouseReport(0, 0, RI_MOUSE_WHEEL), 16, {1, 2});
    EXPECT_FALSE(input.AwaitsCursor());
    EXPECT_EQ(Take(input), (std::vector<Seen>{
                               {InputEvent::KeyDown, VK_RSHIFT, 0, 0, 10},
                               {InputEvent::ButtonDown, 1, 300, 200, 12.5},
                               {InputEvent::ButtonUp, 1, 300, 200, 13},
                               {InputEvent::ButtonDown, 2, 300, 200, 13},
                               {InputEvent::KeyUp, VK_RSHIFT, 0, 0, 14},
                               {InputEvent::ButtonDown, 3, 1, 2, 15},
                               {InputEvent::ButtonUp, 5, 1, 2, 15},
                           }));
    EXPECT_TRUE(Take(input).empty());
}

// The cursor where the next report found it is where a move left it; a button in the same
// report as a move goes down there too. What follows an unplaced move waits for it.
TEST(WatchedInputTest, AMoveIsPlacedWhereTheNextMouseReportFoundTheCursor) {
    WatchedInput input;
    input.Add(MouseReport(5, -3), 20, {100, 100});
    input.Add(KeyReport('A', 0x1E, false), 21, {0, 0});
    EXPECT_TRUE(input.AwaitsCursor());
    EXPECT_TRUE(Take(input).empty());
    input.Add(MouseReport(7, 7, RI_MOUSE_LEFT_BUTTON_DOWN), 22, {105, 97});
    EXPECT_EQ(Take(input), (std::vector<Seen>{
                               {InputEvent::CursorMove, 0, 105, 97, 20},
                               {InputEvent::KeyDown, 'A', 0, 0, 21},
                           }));
    input.Add(MouseReport(0, 0, RI_MOUSE_LEFT_BUTTON_UP), 23, {112, 104});
    EXPECT_EQ(Take(input), (std::vector<Seen>{
                               {InputEvent::CursorMove, 0, 112, 104, 22},
                               {InputEvent::ButtonDown, 1, 112, 104, 22},
                               {InputEvent::ButtonUp, 1, 112, 104, 23},
                           }));
}

TEST(WatchedInputTest, TheLastMoveIsPlacedOnceNoReportWaits) {
    WatchedInput input;
    input.Add(MouseReport(30000, 30000, 0, MOUSE_MOVE_ABSOLUTE), 30, {0, 0});
    input.Add(MouseReport(0, 0, RI_MOUSE_RIGHT_BUTTON_DOWN), 31, {40, 50});
    input.Add(MouseReport(-1, 0), 32, {40, 50});
    input.PlaceAt({39, 50});
    EXPECT_FALSE(input.AwaitsCursor());
    EXPECT_EQ(Take(input), (std::vector<Seen>{
                               {InputEvent::CursorMove, 0, 40, 50, 30},
                               {InputEvent::ButtonDown, 2, 40, 50, 31},
                               {InputEvent::CursorMove, 0, 39, 50, 32},
                           }));
    input.Add(MouseReport(3, 0), 33, {39, 50});
    input.Clear();
    input.PlaceAt({42, 50});
    EXPECT_TRUE(Take(input).empty());
}

} // namespace
} // namespace keyweave::win32
