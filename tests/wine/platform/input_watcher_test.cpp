#include "platform_fixture.h"

#include <gtest/gtest.h>
#include <tuple>

namespace keyweave::win32::test {
namespace {

// Buttons go down over the focus window's client area: under Wine a click on the bare desktop
// leaves no window in front for a moment, and raw input made meanwhile is lost. No key is held
// then: Wine releases the keys it pressed when the pointer moves over one of its windows.
void MoveTo(int x, int y) {
    ThePlatform().Mouse().MoveCursor(x, y);
}

void SendButton(int button, bool down) {
    ThePlatform().Mouse().SendButton(button, down);
}

using Seen = std::tuple<InputEvent::Kind, int, int, int>;

// Pumps and takes the watched events until `count` have come.
std::vector<InputEvent> TakeEvents(std::size_t count) {
    std::vector<InputEvent> events;
    PumpUntil(
        [&] {
            ThePlatform().Watcher().TakeEvents(events);
            return events.size() >= count;
        },
        2000);
    return events;
}

std::vector<Seen> Described(const std::vector<InputEvent>& events) {
    std::vector<Seen> seen;
    for (const InputEvent& event : events) {
        const bool key = event.kind == InputEvent::KeyDown || event.kind == InputEvent::KeyUp;
        seen.emplace_back(event.kind, event.code, key ? 0 : event.x, key ? 0 : event.y);
    }
    return seen;
}

// Raw input reaches the program only while some window is in front.
class InputWatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        MoveTo(400, 400);
        PumpFor(50);
        ASSERT_TRUE(ThePlatform().Watcher().BeginWatching());
    }
    void TearDown() override { ThePlatform().Watcher().EndWatching(); }

    FocusWindow window;
};

// Nothing is pumped until all is sent, so every report is taken late: each pixel is still
// where the cursor was when the system queued the report, not where it is when it is taken.
TEST_F(InputWatcherTest, KeysButtonsAndMovesComeInOrderWithTheirSidesAndPixels) {
    KeyboardDevice& keyboard = ThePlatform().Keyboard();
    const double start = NowMs();
    keyboard.SendKey(VK_RSHIFT, true);
    keyboard.SendKey('A', true);
    keyboard.SendKey('A', false);
    keyboard.SendKey(VK_RSHIFT, false);
    keyboard.SendKey(VK_RCONTROL, true);
    keyboard.SendKey(VK_RCONTROL, false);
    keyboard.SendKey(VK_LCONTROL, true);
    keyboard.SendKey(VK_LCONTROL, false);
    MoveTo(60, 80);
    MoveTo(70, 85);
    SendButton(1, true);
    MoveTo(80, 90);
    SendButton(1, false);
    SendButton(2, true);
    SendButton(2, false);
    const std::vector<InputEvent> events = TakeEvents(15);
    EXPECT_EQ(Described(events), (std::vector<Seen>{
                                     {InputEvent::KeyDown, VK_RSHIFT, 0, 0},
                                     {InputEvent::KeyDown, 'A', 0, 0},
                                     {InputEvent::KeyUp, 'A', 0, 0},
                                     {InputEvent::KeyUp, VK_RSHIFT, 0, 0},
                                     {InputEvent::KeyDown, VK_RCONTROL, 0, 0},
                                     {InputEvent::KeyUp, VK_RCONTROL, 0, 0},
                                     {InputEvent::KeyDown, VK_LCONTROL, 0, 0},
                                     {InputEvent::KeyUp, VK_LCONTROL, 0, 0},
                                     {InputEvent::CursorMove, 0, 60, 80},
                                     {InputEvent::CursorMove, 0, 70, 85},
                                     {InputEvent::ButtonDown, 1, 70, 85},
                                     {InputEvent::CursorMove, 0, 80, 90},
                                     {InputEvent::ButtonUp, 1, 80, 90},
                                     {InputEvent::ButtonDown, 2, 80, 90},
                                     {InputEvent::ButtonUp, 2, 80, 90},
                                 }));
    double previous = start;
    for (const InputEvent& event : events) {
        EXPECT_GE(event.timeMs, previous);
        previous = event.timeMs;
    }
    EXPECT_LE(previous, NowMs());
}

TEST_F(InputWatcherTest, NothingFromBeforeTheStartOrAfterTheEndIsReported) {
    InputWatcher& watcher = ThePlatform().Watcher();
    watcher.EndWatching();
    ThePlatform().Keyboard().SendKey('B', true);
    ThePlatform().Keyboard().SendKey('B', false);
    MoveTo(350, 350);
    ASSERT_TRUE(watcher.BeginWatching());
    MoveTo(360, 355);
    std::vector<InputEvent> events = TakeEvents(1);
    EXPECT_EQ(Described(events), (std::vector<Seen>{{InputEvent::CursorMove, 0, 360, 355}}));
    MoveTo(370, 360);
    watcher.EndWatching();
    PumpFor(50);
    events.clear();
    watcher.TakeEvents(events);
    EXPECT_TRUE(events.empty());
}

DWORD WINAPI MoveAfter30Ms(LPVOID) {
    Sleep(30);
    MoveTo(330, 330);
    return 0;
}

DWORD WINAPI ClickAfter30Ms(LPVOID) {
    Sleep(30);
    MoveTo(100, 100);
    SendButton(2, true);
    SendButton(2, false);
    return 0;
}

// Without the watcher, the pause until a change sleeps through moves and clicks for up to
// 100 ms: no key changed.
TEST_F(InputWatcherTest, ThePauseUntilAChangeEndsForAMoveOrAButton) {
    for (LPTHREAD_START_ROUTINE user : {MoveAfter30Ms, ClickAfter30Ms}) {
        SettleKeyboard();
        const double lasted = LastsWhile(user, [] { ThePlatform().System().SleepUntilChange(2); });
        EXPECT_GE(lasted, 25.0);
        EXPECT_LT(lasted, 90.0);
        EXPECT_FALSE(TakeEvents(1).empty());
    }
}

} // namespace
} // namespace keyweave::win32::test
