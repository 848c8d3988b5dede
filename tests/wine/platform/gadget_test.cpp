#include "combo_box_gadget.h"
#include "platform_fixture.h"
#include "runtime/events/event_queue.h"
#include "runtime/gui/gadget.h"
#include "runtime/runtime.h"
#include "text_area_gadget.h"
#include "window_gadget.h"

#include <algorithm>
#include <commctrl.h>
#include <gtest/gtest.h>
#include <richedit.h>

namespace keyweave::win32::test {
namespace {

class GadgetTest : public ::testing::Test {
protected:
    void SetUp() override {
        StartRuntime(ThePlatform());
        window = CreateWindowGadget(u"Keyweave 1.0", 0, 0, 600, 400, nullptr, 553);
        PumpFor(50);
        while (EventQueuePoll() != 0) {
        }
    }

    HWND Handle(const GadgetRef& gadget) { return dynamic_cast<Win32Gadget&>(*gadget).Handle(); }

    // The next event from the queue, after pumping; id 0 when none came.
    std::int32_t NextEvent() {
        PumpFor(30);
        return EventQueuePoll();
    }

    GadgetRef window;
};

TEST_F(GadgetTest, TheMainWindowsClientAreaIsCentredAndTheStatusBarAddedBelowIt) {
    const ScreenSize screen = ThePlatform().Gadgets().DesktopSize();
    POINT origin{0, 0};
    ClientToScreen(Handle(window), &origin);
    EXPECT_EQ(origin.x, (screen.width - 600) / 2);
    EXPECT_EQ(origin.y, (screen.height - 400) / 2);
    EXPECT_EQ(window->ClientWidth(), 600);
    EXPECT_EQ(window->ClientHeight(), 400);
    HWND bar = dynamic_cast<WindowGadget&>(*window).StatusBar();
    ASSERT_NE(bar, nullptr);
    RECT barRect{};
    GetWindowRect(bar, &barRect);
    EXPECT_EQ(barRect.top, origin.y + 400);
    const LONG style = GetWindowLongW(Handle(window), GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0);
    EXPECT_NE(style & WS_CAPTION, 0);
    EXPECT_TRUE(IsWindowVisible(Handle(window)));
    wchar_t title[64] = {};
    GetWindowTextW(Handle(window), title, 64);
    EXPECT_STREQ(title, L"Keyweave 1.0");
}

TEST_F(GadgetTest, TheStatusTextShowsInTheStatusBar) {
    window->SetStatus(u"Select a script.");
    wchar_t text[64] = {};
    SendMessageW(dynamic_cast<WindowGadget&>(*window).StatusBar(), WM_GETTEXT, 64,
                 reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"Select a script.");

    GadgetRef resizable = CreateWindowGadget(u"R", 0, 0, 200, 100, nullptr,
                                             WindowTitleBar | WindowResizable | WindowStatusBar);
    resizable->SetStatus(u"ready.");
    SendMessageW(dynamic_cast<WindowGadget&>(*resizable).StatusBar(), WM_GETTEXT, 64,
                 reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"ready.     ");
}

TEST_F(GadgetTest, TheCloseBoxRaisesWindowCloseAndLeavesTheWindowOpen) {
    SendMessageW(Handle(window), WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_EQ(NextEvent(), WindowClose);
    EXPECT_EQ(CurrentEventSource(), window);
    EXPECT_TRUE(IsWindow(Handle(window)));
}

TEST_F(GadgetTest, AButtonClickRaisesGadgetAction) {
    GadgetRef button = CreateButtonGadget(u"Exit", 5, 370, 190, 25, window, 8);
    GadgetRef other = CreateButtonGadget(u"About", 5, 340, 190, 25, window, 8);
    SendMessageW(Handle(button), BM_CLICK, 0, 0);
    ASSERT_EQ(NextEvent(), GadgetAction);
    EXPECT_EQ(CurrentEventSource(), button);
    EXPECT_EQ(CurrentEventData(), 0);
    EXPECT_EQ(NextEvent(), 0);
    EXPECT_NE(GetDlgCtrlID(Handle(button)), IDOK);
    EXPECT_NE(GetDlgCtrlID(Handle(button)), GetDlgCtrlID(Handle(other)));
}

TEST_F(GadgetTest, ACentredLabelShowsAmpersandsAsTheyAre) {
    GadgetRef label = CreateLabelGadget(u"Current & Script", 0, 5, 200, 20, window, LabelCentred);
    const LONG style = GetWindowLongW(Handle(label), GWL_STYLE);
    EXPECT_EQ(style & SS_TYPEMASK, SS_CENTER);
    EXPECT_NE(style & SS_NOPREFIX, 0);
    EXPECT_EQ(label->GetText(), u"Current & Script");
    label->SetText(u"<F1> <Left Ctrl> ");
    EXPECT_EQ(label->GetText(), u"<F1> <Left Ctrl> ");
}

class ComboTest : public GadgetTest {
protected:
    void SetUp() override {
        GadgetTest::SetUp();
        combo = CreateComboBoxGadget(5, 25, 190, 20, window, 0);
        for (int item = 0; item < 3; ++item) {
            extras.push_back(std::make_shared<TText>(u"script " + std::u16string(1, u'A' + item)));
            AddItem(combo, extras.back()->value, 0, -1, u"", extras.back());
        }
    }

    int Shown() { return static_cast<int>(SendMessageW(Handle(combo), CB_GETCURSEL, 0, 0)); }

    // What the control tells its window when the user picks an item with the list closed.
    void UserPicks(int index) {
        SendMessageW(Handle(combo), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(Handle(window), WM_COMMAND,
                     MAKEWPARAM(GetDlgCtrlID(Handle(combo)), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(Handle(combo)));
    }

    GadgetRef combo;
    std::vector<std::shared_ptr<TText>> extras;
};

TEST_F(ComboTest, ItemsCarryTheirExtrasAndNothingIsSelectedAtFirst) {
    EXPECT_EQ(combo->ItemCount(), 3);
    EXPECT_EQ(SendMessageW(Handle(combo), CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(combo->ItemText(1), u"script B");
    EXPECT_EQ(combo->ItemExtra(2), extras[2]);
    EXPECT_EQ(Shown(), -1);
    EXPECT_EQ(GetWindowLongW(Handle(combo), GWL_STYLE) & 3, CBS_DROPDOWNLIST);
    RECT closed{};
    GetWindowRect(Handle(combo), &closed);
    EXPECT_LE(closed.bottom - closed.top, 24);
}

TEST_F(ComboTest, SelectingProgrammaticallyRaisesNothingAndMinusOneClearsTheSelection) {
    combo->SelectItem(1, 1);
    EXPECT_EQ(Shown(), 1);
    combo->SelectItem(-1, 0);
    EXPECT_EQ(Shown(), -1);
    EXPECT_EQ(combo->SelectedItem(), -1);
    EXPECT_EQ(NextEvent(), 0);
}

TEST_F(ComboTest, APickOfAnotherItemRaisesOneActionWithItsExtraAndThePickOfTheCurrentNone) {
    UserPicks(2);
    ASSERT_EQ(NextEvent(), GadgetAction);
    EXPECT_EQ(CurrentEventSource(), combo);
    EXPECT_EQ(CurrentEventData(), 2);
    EXPECT_EQ(CurrentEventExtra(), extras[2]);
    UserPicks(2);
    EXPECT_EQ(NextEvent(), 0);
    combo->SelectItem(-1, 0);
    UserPicks(2);
    EXPECT_EQ(NextEvent(), GadgetAction);
}

TEST_F(ComboTest, TheKeyboardPicksTheNextItem) {
    combo->SelectItem(0, 1);
    SetForegroundWindow(Handle(window));
    SetFocus(Handle(combo));
    PumpUntil([&] { return GetFocus() == Handle(combo); }, 1000);
    ThePlatform().Keyboard().SendKey(VK_DOWN, true);
    ThePlatform().Keyboard().SendKey(VK_DOWN, false);
    PumpUntil([&] { return EventQueueCount() > 0; }, 1000);
    ASSERT_EQ(EventQueuePoll(), GadgetAction);
    EXPECT_EQ(CurrentEventData(), 1);
    EXPECT_EQ(CurrentEventExtra(), extras[1]);
}

TEST_F(ComboTest, ClearingRemovesEveryItemAndTheCueTextIsKept) {
    combo->SelectItem(1, 1);
    combo->Clear();
    EXPECT_EQ(combo->ItemCount(), 0);
    EXPECT_EQ(SendMessageW(Handle(combo), CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(combo->SelectedItem(), -1);
    combo->SetText(u"Choose");
    EXPECT_EQ(combo->GetText(), u"Choose");
    combo->SetText(u"");
    EXPECT_EQ(combo->GetText(), u"");
}

class TextAreaTest : public GadgetTest {
protected:
    void SetUp() override {
        GadgetTest::SetUp();
        area = CreateTextAreaGadget(200, 5, 395, 390, window, TextAreaReadOnly);
        area->SetColor({51, 68, 85});
    }

    COLORREF ColourAt(int position) {
        CHARRANGE range{position, position + 1};
        SendMessageW(Handle(area), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMAT2W format{};
        format.cbSize = sizeof(format);
        SendMessageW(Handle(area), EM_GETCHARFORMAT, SCF_SELECTION,
                     reinterpret_cast<LPARAM>(&format));
        return format.crTextColor;
    }

    CHARRANGE Selection() {
        CHARRANGE range{};
        SendMessageW(Handle(area), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
        return range;
    }

    GadgetRef area;
};

TEST_F(TextAreaTest, LineBreaksCountAsOneCharacterAndReadBackAsLineFeeds) {
    area->ReplaceText(0, -1, u"KeyDown( KEY_A )\n\tSleep( 100 )\n", UnitCharacters);
    EXPECT_EQ(area->AreaText(0, -1, UnitCharacters), u"KeyDown( KEY_A )\n\tSleep( 100 )\n");
    EXPECT_EQ(area->AreaLen(UnitCharacters), 31);
    EXPECT_EQ(area->AreaText(16, 2, UnitCharacters), u"\n\t");
    EXPECT_EQ(area->AreaText(17, -1, UnitCharacters), u"\tSleep( 100 )\n");
    EXPECT_EQ(area->AreaText(1, 0, UnitCharacters), u"");
}

TEST_F(TextAreaTest, ReplacingARangeAndEmptyingTheWholeText) {
    area->ReplaceText(0, -1, u"one\ntwo\n", UnitCharacters);
    area->ReplaceText(4, 3, u"2", UnitCharacters);
    EXPECT_EQ(area->AreaText(0, -1, UnitCharacters), u"one\n2\n");
    area->ReplaceText(area->AreaLen(UnitCharacters), 0, u"three\n", UnitCharacters);
    EXPECT_EQ(area->AreaText(0, -1, UnitCharacters), u"one\n2\nthree\n");
    EXPECT_EQ(area->AreaText(1, 2, UnitLines), u"2\nthree\n");
    area->ReplaceText(0, -1, u"", UnitCharacters);
    EXPECT_EQ(area->AreaLen(UnitCharacters), 0);
    EXPECT_EQ(area->AreaText(0, -1, UnitCharacters), u"");
}

TEST_F(TextAreaTest, LongTextsAreNotCutAtTheDefaultLimit) {
    std::u16string text;
    for (int line = 0; line < 4000; ++line) {
        text += u"KeyDown( KEY_A )\n";
    }
    area->ReplaceText(0, -1, text, UnitCharacters);
    EXPECT_EQ(area->AreaLen(UnitCharacters), static_cast<int>(text.size()));
}

TEST_F(TextAreaTest, RangesGetTheirColoursAndAnEmptyRangeChangesNothing) {
    area->ReplaceText(0, -1, u"KeyDown( KEY_A )\n", UnitCharacters);
    const COLORREF plain = ColourAt(8);
    area->SetStyle({255, 255, 0}, 0, 0, 7, UnitCharacters);
    area->SetStyle({147, 255, 255}, 0, 8, 7, UnitCharacters);
    area->SetStyle({255, 255, 255}, 0, 7, 1, UnitCharacters);
    area->SetStyle({255, 0, 0}, 0, 3, 0, UnitCharacters);
    EXPECT_EQ(ColourAt(0), RGB(255, 255, 0));
    EXPECT_EQ(ColourAt(3), RGB(255, 255, 0));
    EXPECT_EQ(ColourAt(6), RGB(255, 255, 0));
    EXPECT_EQ(ColourAt(7), RGB(255, 255, 255));
    EXPECT_EQ(ColourAt(8), RGB(147, 255, 255));
    EXPECT_EQ(ColourAt(14), RGB(147, 255, 255));
    EXPECT_EQ(ColourAt(15), plain);
}

TEST_F(TextAreaTest, StyleFlagsSetAndClearBoldAndItalic) {
    area->ReplaceText(0, -1, u"Pause()\n", UnitCharacters);
    area->SetStyle({255, 100, 100}, 1 | 2, 0, 5, UnitCharacters);
    auto effects = [&] {
        CHARRANGE range{1, 2};
        SendMessageW(Handle(area), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
        CHARFORMAT2W format{};
        format.cbSize = sizeof(format);
        SendMessageW(Handle(area), EM_GETCHARFORMAT, SCF_SELECTION,
                     reinterpret_cast<LPARAM>(&format));
        return format.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_UNDERLINE);
    };
    EXPECT_EQ(effects(), DWORD{CFE_BOLD | CFE_ITALIC});
    area->SetStyle({255, 100, 100}, 0, 0, 5, UnitCharacters);
    EXPECT_EQ(effects(), 0u);
}

TEST_F(TextAreaTest, LocksAreCountedAndEachUnlockRestoresTheCaretAndSelection) {
    area->ReplaceText(0, -1, u"abcdef\n", UnitCharacters);
    CHARRANGE caret{2, 4};
    SendMessageW(Handle(area), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    area->LockText();
    area->ReplaceText(0, -1, u"", UnitCharacters);
    area->LockText();
    area->ReplaceText(0, -1, u"uvwxyz\n", UnitCharacters);
    area->SetStyle({1, 2, 3}, 0, 0, 3, UnitCharacters);
    area->UnlockText();
    // The inner lock remembered the caret of the emptied text.
    EXPECT_EQ(Selection().cpMin, 0);
    EXPECT_EQ(Selection().cpMax, 0);
    area->UnlockText();
    EXPECT_EQ(Selection().cpMin, 2);
    EXPECT_EQ(Selection().cpMax, 4);
    area->UnlockText();
    EXPECT_EQ(area->AreaText(0, -1, UnitCharacters), u"uvwxyz\n");
}

// What the control itself holds, read past the gadget.
std::wstring ControlText(HWND control) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    CHARRANGE all{0, -1};
    TEXTRANGEW request{all, text.data()};
    text.resize(static_cast<std::size_t>(
        SendMessageW(control, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&request))));
    return text;
}

TEST_F(TextAreaTest, ALongTextAnswersAtOnceAndReachesTheControlAStretchAtATime) {
    std::u16string text;
    for (int line = 0; line < 3000; ++line) {
        text += u"\tKeyDown( KEY_A )\n";
    }
    area->LockText();
    area->ReplaceText(0, -1, text, UnitCharacters);
    area->SetStyle({255, 255, 0}, 0, 18 * 2500, 8, UnitCharacters);
    area->UnlockText();
    EXPECT_EQ(area->AreaText(0, -1, UnitCharacters), text);
    EXPECT_EQ(area->AreaLen(UnitLines), 3001);
    EXPECT_LT(ControlText(Handle(area)).size(), text.size()) << "all of it went in at once";
    EXPECT_EQ(Selection().cpMin, 0);
    EXPECT_TRUE(PumpUntil([&] { return ControlText(Handle(area)).size() == text.size(); }, 5000));
    std::wstring expected(text.begin(), text.end());
    std::replace(expected.begin(), expected.end(), L'\n', L'\r');
    EXPECT_EQ(ControlText(Handle(area)), expected);
    EXPECT_EQ(ColourAt(18 * 2500 + 3), RGB(255, 255, 0));

    // A change other than a new whole text takes what is still missing first.
    area->LockText();
    area->ReplaceText(0, -1, text, UnitCharacters);
    area->UnlockText();
    area->ReplaceText(static_cast<int>(text.size()), 0, u"end\n", UnitCharacters);
    EXPECT_EQ(ControlText(Handle(area)), expected + L"end\r");
}

TEST_F(TextAreaTest, TheUserCannotTypeIntoItAndLongLinesDoNotWrap) {
    area->ReplaceText(0, -1, std::u16string(400, u'x') + u"\nend\n", UnitCharacters);
    EXPECT_EQ(SendMessageW(Handle(area), EM_GETLINECOUNT, 0, 0), 3);
    SetForegroundWindow(Handle(window));
    SetFocus(Handle(area));
    PumpUntil([&] { return GetFocus() == Handle(area); }, 1000);
    ThePlatform().Keyboard().SendKey('Z', true);
    ThePlatform().Keyboard().SendKey('Z', false);
    PumpFor(100);
    EXPECT_EQ(area->AreaText(0, -1, UnitCharacters), std::u16string(400, u'x') + u"\nend\n");
    EXPECT_EQ(SendMessageW(Handle(area), EM_SETBKGNDCOLOR, 0, RGB(1, 1, 1)), RGB(51, 68, 85));
}

TEST_F(GadgetTest, AWindowThatAsksForRawInputReportsLeftAndRightModifiers) {
    dynamic_cast<WindowGadget&>(*window).SetSensitivity(3);
    SendMessageW(Handle(window), WM_KEYDOWN, VK_SHIFT, 1 | (54 << 16));
    ASSERT_EQ(NextEvent(), KeyDown);
    EXPECT_EQ(CurrentEventData(), 161);
    EXPECT_EQ(CurrentEventSource(), window);
    SendMessageW(Handle(window), WM_MOUSEMOVE, 0, MAKELPARAM(10, 20));
    ASSERT_EQ(NextEvent(), MouseEnter);
    EXPECT_EQ(CurrentEventX(), 10);
    ASSERT_EQ(NextEvent(), MouseMove);
    EXPECT_EQ(CurrentEventY(), 20);
}

} // namespace
} // namespace keyweave::win32::test
