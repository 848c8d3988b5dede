#include "platform/win32/win32_input_watcher.h"

#include <gtest/gtest.h>
#include <tuple>
#include <windows.h>

namespace keyweave::win32 {
namespace {

RAWINPUT Report(DWORD type) {
    RAWINPUT report{};
    report.header.dwType = type;
    return report;
}

RAWINPUT Key(USHORT key, USHORT scan, USHORT flags = 0) {
    RAWINPUT report = Report(RIM_TYPEKEYBOARD);
    report.data.keyboard = {scan, flags, 0, key, WM_KEYDOWN, 0};
    return report;
}

RAWINPUT Mouse(LONG dx, LONG dy, USHORT buttons = 0, USHORT flags = MOUSE_MOVE_RELATIVE) {
    RAWINPUT report = Report(RIM_TYPEMOUSE);
    report.data.mouse.usFlags = flags;
    report.data.mouse.usButtonFlags = buttons;
    report.data.mouse.lLastX = dx;
    report.data.mouse.lLastY = dy;
    return report;
}

// Shift by its scan code, Ctrl and Alt by the E0 prefix; a sided virtual key only where the
// scan code says nothing (keybd_event with scan code 0).
TEST(WatchedKeyCodeTest, SidesComeFromTheScanCodeOrThePrefixAndFakeKeysAreNone) {
    const std::vector<std::tuple<USHORT, USHORT, USHORT, int>> cases = {
        {VK_SHIFT, 0x2A, 0, VK_LSHIFT},
        {VK_SHIFT, 0x36, 0, VK_RSHIFT},
        {VK_RSHIFT, 0x2A, 0, VK_LSHIFT},
        {VK_SHIFT, 0, 0, VK_LSHIFT},
        {VK_RSHIFT, 0, 0, VK_RSHIFT},
        {VK_CONTROL, 0x1D, 0, VK_LCONTROL},
        {VK_CONTROL, 0, RI_KEY_E0, VK_RCONTROL},
        {VK_RCONTROL, 0x1D, 0, VK_LCONTROL},
        {VK_MENU, 0x38, 0, VK_LMENU},
        {VK_MENU, 0x38, RI_KEY_E0 | RI_KEY_BREAK, VK_RMENU},
        {'A', 0x1E, 0, 'A'},
        {VK_LEFT, 0x4B, RI_KEY_E0, VK_LEFT},
        {0xFF, 0x2A, RI_KEY_E0, 0},
        {0, 0, 0, 0},
    };
    for (const auto& [key, scan, flags, code] : cases) {
        EXPECT_EQ(WatchedKeyCode(Key(key, scan, flags).data.keyboard), code)
            << "key " << key << " scan " << scan << " flags " << flags;
    }
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

// A move leaves the cursor where the next mouse report found it, and a button of the same
// report goes down there too; what follows a move waits until its pixel is known.
TEST(WatchedInputTest, AMoveIsPlacedWhereTheNextReportFoundTheCursorOrOnceNoneWaits) {
    WatchedInput input;
    input.Add(Mouse(0, 0, RI_MOUSE_MIDDLE_BUTTON_DOWN | RI_MOUSE_BUTTON_5_UP), 10, {1, 2});
    input.Add(Mouse(5, -3), 20, {1, 2});
    input.Add(Key(VK_SHIFT, 0x36, RI_KEY_BREAK), 21, {0, 0});
    EXPECT_TRUE(input.AwaitsCursor());
    EXPECT_EQ(Take(input), (std::vector<Seen>{{InputEvent::ButtonDown, 3, 1, 2, 10},
                                              {InputEvent::ButtonUp, 5, 1, 2, 10}}));
    input.Add(Mouse(30000, 30000, RI_MOUSE_LEFT_BUTTON_DOWN, MOUSE_MOVE_ABSOLUTE), 22, {6, -1});
    input.Add(Mouse(0, 0, RI_MOUSE_WHEEL | RI_MOUSE_LEFT_BUTTON_UP), 23, {40, 50});
    input.Add(Mouse(-1, 0), 24, {40, 50});
    input.PlaceAt({39, 50});
    EXPECT_FALSE(input.AwaitsCursor());
    EXPECT_EQ(Take(input), (std::vector<Seen>{
                               {InputEvent::CursorMove, 0, 6, -1, 20},
                               {InputEvent::KeyUp, VK_RSHIFT, 0, 0, 21},
                               {InputEvent::CursorMove, 0, 40, 50, 22},
                               {InputEvent::ButtonDown, 1, 40, 50, 22},
                               {InputEvent::ButtonUp, 1, 40, 50, 23},
                               {InputEvent::CursorMove, 0, 39, 50, 24},
                           }));
    input.Add(Mouse(3, 0), 25, {39, 50});
    input.Clear();
    input.PlaceAt({42, 50});
    EXPECT_TRUE(Take(input).empty());
}

} // namespace
} // namespace keyweave::win32
