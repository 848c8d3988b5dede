#include "script/command.h"
#include "unit/script/script_test_support.h"

#include <gtest/gtest.h>

namespace keyweave {
namespace {

using Lines = std::vector<std::u16string>;

class CommandTest : public testing::KeyTableFixture {
protected:
    static TCommand Make(const std::u16string& name, std::int32_t value = -1,
                         std::int32_t value2 = -1) {
        return TCommand::Create(name, value, value2);
    }
};

TEST_F(CommandTest, DisplayForms) {
    const std::vector<std::pair<TCommand, std::u16string>> cases = {
        // Keys and buttons go by their table names.
        {Make(u"KEYDOWN", 65), u"KeyDown( KEY_A )"},
        {Make(u"KEYUP", 160), u"KeyUp( KEY_LSHIFT )"},
        {Make(u"MOUSEDOWN", 1), u"MouseDown( MOUSE_LEFT )"},
        {Make(u"MOUSEUP", 2), u"MouseUp( MOUSE_RIGHT )"},
        {Make(u"KEYDOWN", 13), u"KeyDown( KEY_ENTER )"},
        // Unknown codes have an empty name.
        {Make(u"KEYDOWN", 0), u"KeyDown(  )"},
        {Make(u"KEYUP", 78), u"KeyUp(  )"},
        {Make(u"KEYDOWN", 1), u"KeyDown(  )"},
        {Make(u"MOUSEDOWN", 3), u"MouseDown(  )"},
        {Make(u"MOUSEUP", 65), u"MouseUp(  )"},
        // Numbers are written in decimal with their sign.
        {Make(u"SLEEP", 100), u"Sleep( 100 )"},
        {Make(u"SLEEP", -5), u"Sleep( -5 )"},
        {Make(u"SLEEP", 0), u"Sleep( 0 )"},
        {Make(u"MOUSELOC", 400, 300), u"MouseLoc( 400, 300 )"},
        {Make(u"MOUSELOC", -2147483647 - 1, 99999), u"MouseLoc( -2147483648, 99999 )"},
        // Commands without operands; one not in upper case has no display form.
        {Make(u"RESTOREMOUSELOC"), u"RestoreMouseLoc()"},
        {Make(u"LOCKMOUSE"), u"LockMouse()"},
        {Make(u"UNLOCKMOUSE"), u"UnlockMouse()"},
        {Make(u"STOP"), u"Stop()"},
        {Make(u"PAUSE"), u"Pause()"},
        {Make(u"keydown", 65), u""},
    };
    for (const auto& [command, form] : cases) {
        EXPECT_EQ(command.DisplayForm(), form) << testing::Described({command})[0];
    }
}

TEST_F(CommandTest, LinesIndentBetweenPressAndRelease) {
    CommandList commands = {Make(u"KEYDOWN", 162), Make(u"KEYDOWN", 67), Make(u"SLEEP", 10),
                            Make(u"KEYUP", 67),    Make(u"KEYUP", 162),  Make(u"MOUSEDOWN", 1),
                            Make(u"MOUSEUP", 1),   Make(u"STOP")};
    EXPECT_EQ(DisplayLines(commands),
              (Lines{u"KeyDown( KEY_LCTRL )", u"\tKeyDown( KEY_C )", u"\t\tSleep( 10 )",
                     u"\tKeyUp( KEY_C )", u"KeyUp( KEY_LCTRL )", u"MouseDown( MOUSE_LEFT )",
                     u"MouseUp( MOUSE_LEFT )", u"Stop()"}));
}

TEST_F(CommandTest, UnbalancedPressesKeepTheIndentGrowing) {
    CommandList commands = {Make(u"KEYDOWN", 65), Make(u"SLEEP", 1), Make(u"KEYDOWN", 66),
                            Make(u"SLEEP", 2)};
    EXPECT_EQ(DisplayLines(commands), (Lines{u"KeyDown( KEY_A )", u"\tSleep( 1 )",
                                             u"\tKeyDown( KEY_B )", u"\t\tSleep( 2 )"}));
}

TEST_F(CommandTest, ReleasesBeforePressesNeverIndentBelowZero) {
    CommandList commands = {Make(u"KEYUP", 65),   Make(u"MOUSEUP", 1),  Make(u"KEYDOWN", 65),
                            Make(u"SLEEP", 1),    Make(u"KEYDOWN", 65), Make(u"SLEEP", 1),
                            Make(u"keydown", 65), Make(u"SLEEP", 1)};
    EXPECT_EQ(DisplayLines(commands),
              (Lines{u"KeyUp( KEY_A )", u"MouseUp( MOUSE_LEFT )", u"KeyDown( KEY_A )",
                     u"Sleep( 1 )", u"KeyDown( KEY_A )", u"Sleep( 1 )", u"", u"Sleep( 1 )"}));
}

} // namespace
} // namespace keyweave
