#include "platform_fixture.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace keyweave::win32::test {
namespace {

ScreenPoint Cursor() {
    return ThePlatform().Mouse().CursorPos();
}

TEST(MouseTest, EveryColumnAndEveryRowIsReachedExactly) {
    const ScreenSize screen = ThePlatform().Gadgets().DesktopSize();
    ASSERT_GT(screen.width, 0);
    ASSERT_GT(screen.height, 0);
    MouseDevice& mouse = ThePlatform().Mouse();
    int missedColumns = 0;
    int missedRows = 0;
    for (int x = 0; x < screen.width; ++x) {
        mouse.MoveCursor(x, screen.height / 2);
        const ScreenPoint at = Cursor();
        if (at.x != x || at.y != screen.height / 2) {
            ++missedColumns;
            ADD_FAILURE() << "column " << x << " landed on " << at.x << ", " << at.y;
        }
    }
    for (int y = 0; y < screen.height; ++y) {
        mouse.MoveCursor(screen.width / 3, y);
        const ScreenPoint at = Cursor();
        if (at.x != screen.width / 3 || at.y != y) {
            ++missedRows;
            ADD_FAILURE() << "row " << y << " landed on " << at.x << ", " << at.y;
        }
    }
    EXPECT_EQ(missedColumns, 0);
    EXPECT_EQ(missedRows, 0);
}

// For the record: the scaling 65535 * x / W, truncated, that the centre-of-pixel mapping
// replaces.
TEST(MouseTest, FigureColumnsMissedByTheTruncatedScaling) {
    const ScreenSize screen = ThePlatform().Gadgets().DesktopSize();
    int missed = 0;
    for (int x = 0; x < screen.width; ++x) {
        const float q = static_cast<float>(x) / static_cast<float>(screen.width);
        const auto dx = static_cast<int>(65535.0f * q);
        mouse_event(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, static_cast<DWORD>(dx),
                    static_cast<DWORD>(32768), 0, 0);
        if (Cursor().x != x) {
            ++missed;
        }
    }
    std::printf("figure: the truncated 65535 scaling misses %d of %d columns\n", missed,
                screen.width);
}

TEST(MouseTest, PositionsOffTheScreenAreLeftToTheSystem) {
    const ScreenSize screen = ThePlatform().Gadgets().DesktopSize();
    MouseDevice& mouse = ThePlatform().Mouse();
    mouse.MoveCursor(-10, -3);
    EXPECT_EQ(Cursor().x, 0);
    EXPECT_EQ(Cursor().y, 0);
    mouse.MoveCursor(screen.width + 40, screen.height + 1);
    EXPECT_EQ(Cursor().x, screen.width - 1);
    EXPECT_EQ(Cursor().y, screen.height - 1);
}

TEST(MouseTest, LeftAndRightButtonsArePressedAndReleased) {
    MouseDevice& mouse = ThePlatform().Mouse();
    // Over the bare desktop, so that no window of this test takes the clicks.
    mouse.MoveCursor(2, 2);
    mouse.SendButton(1, true);
    EXPECT_TRUE(WaitForKeyState(VK_LBUTTON, true));
    mouse.SendButton(1, false);
    EXPECT_TRUE(WaitForKeyState(VK_LBUTTON, false));
    mouse.SendButton(2, true);
    EXPECT_TRUE(WaitForKeyState(VK_RBUTTON, true));
    EXPECT_FALSE((GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0);
    mouse.SendButton(2, false);
    EXPECT_TRUE(WaitForKeyState(VK_RBUTTON, false));
    mouse.SendButton(3, true);
    EXPECT_FALSE(WaitForKeyState(VK_MBUTTON, true));
}

TEST(KeyboardTest, APressedKeyIsHeldSystemWideUntilReleased) {
    KeyboardDevice& keyboard = ThePlatform().Keyboard();
    keyboard.SendKey('K', true);
    ASSERT_TRUE(PumpUntil([&] { return keyboard.HeldKeys().test('K'); }, 500));
    keyboard.SendKey(VK_LSHIFT, true);
    ASSERT_TRUE(PumpUntil([&] { return keyboard.HeldKeys().test(VK_LSHIFT); }, 500));
    keyboard.SendKey(VK_LSHIFT, false);
    keyboard.SendKey('K', false);
    EXPECT_TRUE(PumpUntil([&] { return keyboard.HeldKeys().none(); }, 500));
}

// A key pressed and released between two polls is held at the next poll, and once the pump has
// read its release, no longer; a modifier on its own side.
TEST(KeyboardTest, AKeyTappedBetweenTwoPollsIsHeldAtTheNextPollOnly) {
    FocusWindow window;
    KeyboardDevice& keyboard = ThePlatform().Keyboard();
    SettleKeyboard();
    for (const int key : {static_cast<int>('K'), VK_RSHIFT}) {
        keyboard.SendKey(key, true);
        keyboard.SendKey(key, false);
        KeySet held;
        EXPECT_TRUE(PumpUntil(
            [&] {
                held = keyboard.HeldKeys();
                return held.any();
            },
            500));
        EXPECT_EQ(held, KeySet().set(static_cast<std::size_t>(key)));
        ThePlatform().System().Poll();
        EXPECT_TRUE(keyboard.HeldKeys().none()) << key;
    }
}

TEST(KeyboardTest, CodesBelow32AreHeldButNeverReported) {
    KeyboardDevice& keyboard = ThePlatform().Keyboard();
    keyboard.SendKey(VK_RETURN, true);
    EXPECT_TRUE(WaitForKeyState(VK_RETURN, true));
    EXPECT_FALSE(keyboard.HeldKeys().test(VK_RETURN));
    EXPECT_TRUE(keyboard.HeldKeys().none());
    keyboard.SendKey(VK_RETURN, false);
    EXPECT_TRUE(WaitForKeyState(VK_RETURN, false));
}

TEST(KeyboardTest, InjectedKeysReachTheFocusedWindowInOrder) {
    FocusWindow window;
    KeyboardDevice& keyboard = ThePlatform().Keyboard();
    std::vector<std::pair<UINT, WPARAM>> received;
    keyboard.SendKey('Q', true);
    keyboard.SendKey('Q', false);
    keyboard.SendKey(VK_F5, true);
    keyboard.SendKey(VK_F5, false);
    MSG message;
    const double deadline = NowMs() + 1000;
    while (received.size() < 4 && NowMs() < deadline) {
        while (PeekMessageW(&message, window.Handle(), WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
            received.emplace_back(message.message, message.wParam);
        }
        Sleep(1);
    }
    EXPECT_EQ(received,
              (std::vector<std::pair<UINT, WPARAM>>{
                  {WM_KEYDOWN, 'Q'}, {WM_KEYUP, 'Q'}, {WM_KEYDOWN, VK_F5}, {WM_KEYUP, VK_F5}}));
}

} // namespace
} // namespace keyweave::win32::test
