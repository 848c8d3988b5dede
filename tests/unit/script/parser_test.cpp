#include "script/parser.h"
#include "unit/script/script_test_support.h"

#include <gtest/gtest.h>

namespace keyweave {
namespace {

using testing::Described;
using Texts = std::vector<std::string>;

class ParserTest : public testing::KeyTableFixture {
protected:
    // Feeds the lines to the parser and returns what the last of them turned out to be.
    LineOutcome Feed(const std::vector<std::u16string>& lines) {
        LineOutcome last;
        for (const std::u16string& line : lines) {
            last = parser.ProcessLine(line);
        }
        return last;
    }

    // The commands of statement lines written after a header and a name line.
    Texts Compiled(const std::vector<std::u16string>& statements) {
        Feed({u"?kweaver", u"{Test"});
        Feed(statements);
        return Described(parser.commands());
    }

    // Feeds the lines in order and expects each to turn out to be of the kind beside it.
    void ExpectKinds(const std::vector<std::pair<std::u16string, LineKind>>& lines) {
        for (const auto& [line, kind] : lines) {
            EXPECT_EQ(parser.ProcessLine(line).kind, kind) << ToUtf8(line);
        }
    }

    ScriptParser parser;
};

TEST_F(ParserTest, CompilesTheJumpAndTypeExample) {
    Feed({u"\\\\ test macro", u"", u"?KWEAVER", u"{'Jump and type'", u"KeyStroke( key_space , 50 )",
          u"sleep(1000)", u"keystring(AB 1, 10)", u"mouseloc(400, 300)",
          u"mousestroke(MOUSE_LEFT,20)", u"press(KEY_A)", u"pause()"});

    EXPECT_TRUE(parser.IsScript());
    EXPECT_EQ(parser.name(), u"Jump and type");
    EXPECT_EQ(Described(parser.commands()),
              (Texts{"KEYDOWN 32",       "SLEEP 50",    "KEYUP 32",   "SLEEP 1000", "KEYDOWN 65",
                     "SLEEP 10",         "KEYUP 65",    "SLEEP 10",   "KEYDOWN 66", "SLEEP 10",
                     "KEYUP 66",         "SLEEP 10",    "KEYDOWN 49", "SLEEP 10",   "KEYUP 49",
                     "MOUSELOC 400 300", "MOUSEDOWN 1", "SLEEP 20",   "MOUSEUP 1",  "PAUSE"}));
}

TEST_F(ParserTest, EveryStatementMakesItsCommands) {
    EXPECT_EQ(Compiled({u"keydown(KEY_LSHIFT)", u"keyup(KEY_LSHIFT)", u"lockmouse()",
                        u"unlockmouse()", u"restoremouseloc()", u"mousedown(MOUSE_RIGHT)",
                        u"mouseup(MOUSE_RIGHT)", u"stop()"}),
              (Texts{"KEYDOWN 160", "KEYUP 160", "LOCKMOUSE", "UNLOCKMOUSE", "RESTOREMOUSELOC",
                     "MOUSEDOWN 2", "MOUSEUP 2", "STOP"}));
    for (const TCommand& command : parser.commands()) {
        EXPECT_EQ(command.Value2, -1);
    }
    EXPECT_EQ(parser.commands()[2].Value, -1);
}

TEST_F(ParserTest, ReadsNumbersWithSignsBasesAndWrapAround) {
    struct Case {
        std::u16string text;
        std::int32_t value;
        bool hasDigits;
        std::size_t consumed;
    };
    const Case cases[] = {
        {u"100", 100, true, 3},
        {u"+7", 7, true, 2},
        {u"-5", -5, true, 2},
        {u" \t42", 42, true, 4},
        {u"$3E8", 1000, true, 4},
        {u"$ff", 255, true, 3},
        {u"-$10", -16, true, 4},
        {u"%101", 5, true, 4},
        {u"%102", 2, true, 3},
        {u"12ab", 12, true, 2},
        {u"100wait", 100, true, 3},
        {u"$1G", 1, true, 2},
        {u"4294967295", -1, true, 10},
        {u"4294967296", 0, true, 10},
        {u"2147483648", -2147483647 - 1, true, 10},
        {u"-2147483649", 2147483647, true, 11},
        {u"$100000001", 1, true, 10},
        {u"", 0, false, 0},
        {u"abc", 0, false, 0},
        {u"-", 0, false, 1},
        {u"$", 0, false, 1},
        {u"+-1", 0, false, 1},
        {u"1 000", 1, true, 1},
    };
    for (const Case& c : cases) {
        NumberReading reading = ReadNumber(c.text);
        EXPECT_EQ(reading.value, c.value) << ToUtf8(c.text);
        EXPECT_EQ(reading.hasDigits, c.hasDigits) << ToUtf8(c.text);
        EXPECT_EQ(reading.consumed, c.consumed) << ToUtf8(c.text);
    }
}

TEST_F(ParserTest, SplitsArgumentsWithoutParenthesesAndBlanks) {
    using Pieces = std::vector<std::u16string>;
    // One list for every line, as the parser keeps it: a line's pieces replace the last's.
    Pieces pieces;
    auto Split = [&pieces](std::u16string_view line) {
        SplitArguments(line, pieces);
        return pieces;
    };
    EXPECT_EQ(Split(u"keydown( KEY_A )"), Pieces{u"KEY_A"});
    EXPECT_EQ(Split(u"x(a, b ,c)"), (Pieces{u"a", u"b", u"c"}));
    EXPECT_EQ(Split(u"x()"), Pieces{u""});
    EXPECT_EQ(Split(u"x"), Pieces{u""});
    EXPECT_EQ(Split(u"x(a,)"), (Pieces{u"a", u""}));
    EXPECT_EQ(Split(u"x(,,)"), (Pieces{u"", u"", u""}));
    EXPECT_EQ(Split(u"sleep(100) wait"), Pieces{u"100wait"});
    EXPECT_EQ(Split(u"x((a)b)"), Pieces{u"ab"});
    EXPECT_EQ(Split(u"x(\tA\tB , 5\t)"), (Pieces{u"A\tB", u"5"}));
    EXPECT_EQ(Split(u"x(Left Shift)"), Pieces{u"LeftShift"});
    // Parentheses go first, then the ends are trimmed, then the blanks go.
    EXPECT_EQ(Split(u"x(\t)a(\t"), Pieces{u"a"});
    EXPECT_EQ(Split(u"x(\x01 \t)"), Pieces{u""});
}

TEST_F(ParserTest, KeywordsIgnoreCaseAndBlanksAroundThem) {
    LineOutcome outcome = Feed({u"?kweaver", u"{x", u"  KeyDown \t( key_a )  "});
    EXPECT_EQ(outcome.kind, LineKind::Statement);
    EXPECT_EQ(outcome.keyword, u"keydown");
    EXPECT_EQ(outcome.trimmed, u"KeyDown \t( key_a )");
    EXPECT_EQ(Described(parser.commands()), Texts{"KEYDOWN 65"});
}

TEST_F(ParserTest, StatementsCompileToTheirCommands) {
    struct Case {
        const char* what;
        std::vector<std::u16string> statements;
        Texts commands;
    };
    const Case cases[] = {
        {"key names with blanks never match",
         {u"keydown(Left Shift)", u"keydown(tab)", u"keydown(F5)", u"keydown(MOUSE_LEFT)",
          u"mousedown(Left Mouse)", u"mousedown(mouse_right)", u"mouseup(KEY_A)", u"keyup(KEY_N)"},
         {"KEYDOWN 0", "KEYDOWN 9", "KEYDOWN 116", "KEYDOWN 0", "MOUSEDOWN 0", "MOUSEDOWN 2",
          "MOUSEUP 0", "KEYUP 0"}},
        {"text after the closing parenthesis joins the last argument",
         {u"sleep(100) wait", u"keydown(KEY_A) x", u"keystroke(KEY_B, 5) ms"},
         {"SLEEP 100", "KEYDOWN 0", "KEYDOWN 66", "SLEEP 5", "KEYUP 66"}},
        {"numbers in statements keep their sign",
         {u"sleep($3E8)", u"sleep(-5)", u"sleep(%1010)", u"sleep(soon)", u"mouseloc(-10, 99999)"},
         {"SLEEP 1000", "SLEEP -5", "SLEEP 10", "SLEEP 0", "MOUSELOC -10 99999"}},
        {"extra arguments are ignored and missing ones read as zero",
         {u"keydown(KEY_A, KEY_B)", u"keystroke(KEY_C)", u"mouseloc(7)", u"mousestroke(MOUSE_LEFT)",
          u"keystring(AB)", u"stop(now, please)"},
         {"KEYDOWN 65", "KEYDOWN 67", "SLEEP 0", "KEYUP 67", "MOUSELOC 7 0", "MOUSEDOWN 1",
          "SLEEP 0", "MOUSEUP 1", "KEYDOWN 65", "SLEEP 0", "KEYUP 65", "SLEEP 0", "KEYDOWN 66",
          "SLEEP 0", "KEYUP 66", "STOP"}},
        {"keystring types by character code",
         {u"keystring(pa%\t{, 1)"},
         {"KEYDOWN 112", "SLEEP 1", "KEYUP 112", "SLEEP 1", "KEYDOWN 37", "SLEEP 1", "KEYUP 37",
          "SLEEP 1", "KEYDOWN 9", "SLEEP 1", "KEYUP 9", "SLEEP 1", "KEYDOWN 123", "SLEEP 1",
          "KEYUP 123"}},
        // U+0141 and U+0142 have the low bytes of A and B, which must not count.
        {"keystring characters beyond Latin-1 find no key",
         {u"keystring(\u0141A\u0142A, 2)"},
         {"KEYDOWN 65", "SLEEP 2", "KEYUP 65", "SLEEP 2", "KEYDOWN 65", "SLEEP 2", "KEYUP 65"}},
        {"a keystring whose last character has no key ends with a sleep",
         {u"keystring(Ab, 5)"},
         {"KEYDOWN 65", "SLEEP 5", "KEYUP 65", "SLEEP 5"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        parser = ScriptParser();
        EXPECT_EQ(Compiled(c.statements), c.commands);
    }
}

TEST_F(ParserTest, EmptyKeyStringCompilesToNothing) {
    LineOutcome outcome = Feed({u"?kweaver", u"{x", u"keystring(, 5)"});
    EXPECT_EQ(outcome.kind, LineKind::Statement);
    EXPECT_EQ(outcome.commandCount, 0u);
    EXPECT_EQ(Compiled({u"keystring()", u"keystring(abc,1)"}), Texts{});
}

TEST_F(ParserTest, NameLineDropsApostrophesAndKeepsTheClosingBrace) {
    Feed({u"?kweaver", u"  { 'My macro' }  "});
    EXPECT_EQ(parser.name(), u"My macro }");
    EXPECT_TRUE(parser.HasNameLine());

    ScriptParser quoted;
    quoted.ProcessLine(u"?kweaver");
    quoted.ProcessLine(u"{It's mine");
    EXPECT_EQ(quoted.name(), u"Its mine");
}

TEST_F(ParserTest, AStatementRightAfterTheHeaderIsTakenAsTheNameLine) {
    LineOutcome consumed = Feed({u"?kweaver", u"keydown(KEY_A)"});
    EXPECT_EQ(consumed.kind, LineKind::ConsumedAsName);
    EXPECT_TRUE(parser.IsScript());
    EXPECT_FALSE(parser.HasNameLine());
    EXPECT_EQ(parser.name(), u"");
    EXPECT_TRUE(parser.commands().empty());
    Feed({u"keyup(KEY_A)"});
    EXPECT_EQ(Described(parser.commands()), Texts{"KEYUP 65"});
}

TEST_F(ParserTest, HeaderMustBeFollowedByAnotherSignificantLine) {
    Feed({u"?kweaver", u"", u"\\\\ only a comment", u"   \t"});
    EXPECT_TRUE(parser.SawHeader());
    EXPECT_FALSE(parser.IsScript());

    ScriptParser none;
    none.ProcessLine(u"keydown(KEY_A)");
    EXPECT_FALSE(none.SawHeader());
    EXPECT_FALSE(none.IsScript());
    EXPECT_TRUE(none.commands().empty());
}

TEST_F(ParserTest, HeaderIsRecognisedInAnyCaseButNotBehindAByteOrderMark) {
    EXPECT_EQ(Feed({u"\t?KWeaver  "}).kind, LineKind::Header);

    ScriptParser bom;
    EXPECT_EQ(bom.ProcessLine(u"\u00ef\u00bb\u00bf?kweaver").kind, LineKind::BeforeHeader);
    EXPECT_EQ(bom.ProcessLine(u"{Name").kind, LineKind::BeforeHeader);
    EXPECT_FALSE(bom.IsScript());

    ScriptParser spaced;
    EXPECT_EQ(spaced.ProcessLine(u"? kweaver").kind, LineKind::BeforeHeader);
}

TEST_F(ParserTest, CommentsNeedTwoBackslashesAndMayStandAnywhere) {
    ExpectKinds({{u"  \\\\ before the header", LineKind::Comment},
                 {u"\\ one backslash", LineKind::BeforeHeader},
                 {u"?kweaver", LineKind::Header},
                 {u"\\\\ between", LineKind::Comment},
                 {u"\\ one backslash", LineKind::ConsumedAsName},
                 {u"\\\\keydown(KEY_A)", LineKind::Comment}});

    LineOutcome single = parser.ProcessLine(u"\\keydown(KEY_A)");
    EXPECT_EQ(single.kind, LineKind::UnknownKeyword);
    EXPECT_EQ(single.keyword, u"\\keydown");
    EXPECT_TRUE(parser.commands().empty());
}

TEST_F(ParserTest, OutcomesPointAtTheCommandsOfEachLine) {
    ExpectKinds({{u"?kweaver", LineKind::Header},
                 {u"{Demo", LineKind::NameLine},
                 {u"sleep 100", LineKind::NoParenthesis}});

    LineOutcome unknown = parser.ProcessLine(u"Press(KEY_A, 5)");
    EXPECT_EQ(unknown.kind, LineKind::UnknownKeyword);
    EXPECT_EQ(unknown.keyword, u"press");
    EXPECT_EQ(unknown.pieces, (std::vector<std::u16string>{u"KEY_A", u"5"}));

    LineOutcome first = parser.ProcessLine(u"sleep(10)");
    LineOutcome second = parser.ProcessLine(u"keystroke(KEY_A, 20)");
    EXPECT_EQ(first.firstCommand, 0u);
    EXPECT_EQ(first.commandCount, 1u);
    EXPECT_EQ(second.firstCommand, 1u);
    EXPECT_EQ(second.commandCount, 3u);
    EXPECT_EQ(second.pieces, (std::vector<std::u16string>{u"KEY_A", u"20"}));
    EXPECT_EQ(parser.ProcessLine(u"").kind, LineKind::Empty);
    EXPECT_EQ(parser.commands().size(), 4u);
}

} // namespace
} // namespace keyweave
