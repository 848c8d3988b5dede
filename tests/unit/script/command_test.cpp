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

TEST_F(CommandTest, DisplayFormsNameKeysByTheirTableNames) {
    EXPECT_EQ(Make(u"KEYDOWN", 65).DisplayForm(), u"KeyDown( KEY_A )");
    EXPECT_EQ(Make(u"KEYUP", 160).DisplayForm(), u"KeyUp( KEY_LSHIFT )");
    EXPECT_EQ(Make(u"MOUSEDOWN", 1).DisplayForm(), u"MouseDown( MOUSE_LEFT )");
    EXPECT_EQ(Make(u"MOUSEUP", 2).DisplayForm(), u"MouseUp( MOUSE_RIGHT )");
    EXPECT_EQ(Make(u"KEYDOWN", 13).DisplayForm(), u"KeyDown( KEY_ENTER )");
}

TEST_F(CommandTest, DisplayFormsOfUnknownCodesHaveAnEmptyName) {
    EXPECT_EQ(Make(u"KEYDOWN", 0).DisplayForm(), u"KeyDown(  )");
    EXPECT_EQ(Make(u"KEYUP", 78).DisplayForm(), u"KeyUp(  )");
    EXPECT_EQ(Make(u"KEYDOWN", 1).DisplayForm(), u"KeyDown(  )");
    EXPECT_EQ(Make(u"MOUSEDOWN", 3).DisplayForm(), u"MouseDown(  )");
    EXPECT_EQ(Make(u"MOUSEUP", 65).DisplayForm(), u"MouseUp(  )");
}

TEST_F(CommandTest, DisplayFormsWriteNumbersInDecimalWithTheirSign) {
    EXPECT_EQ(Make(u"SLEEP", 100).DisplayForm(), u"Sleep( 100 )");
    EXPECT_EQ(Make(u"SLEEP", -5).DisplayForm(), u"Sleep( -5 )");
    EXPECT_EQ(Make(u"SLEEP", 0).DisplayForm(), u"Sleep( 0 )");
    EXPECT_EQ(Make(u"MOUSELOC", 400, 300).DisplayForm(), u"MouseLoc( 400, 300 )");
    EXPECT_EQ(Make(u"MOUSELOC", -2147483647 - 1, 99999).DisplayForm(),
              u"MouseLoc( -2147483648, 99999 )");
}

TEST_F(CommandTest, DisplayFormsOfCommandsWithoutOperands) {
    EXPECT_EQ(Make(u"RESTOREMOUSELOC").DisplayForm(), u"RestoreMouseLoc()");
    EXPECT_EQ(Make(u"LOCKMOUSE").DisplayForm(), u"LockMouse()");
    EXPECT_EQ(Make(u"UNLOCKMOUSE").DisplayForm(), u"UnlockMouse()");
    EXPECT_EQ(Make(u"STOP").DisplayForm(), u"Stop()");
    EXPECT_EQ(Make(u"PAUSE").DisplayForm(), u"Pause()");
    EXPECT_EQ(Make(u"keydown", 65).DisplayForm(), u"");
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
