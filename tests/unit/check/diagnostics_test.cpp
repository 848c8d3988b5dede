#include "app/program_state.h"
#include "file_check.h"
#include "input/key_table.h"
#include "raw_text.h"
#include "script/script.h"
#include "unit/check/check_test_support.h"

#include <gtest/gtest.h>

namespace keyweave {
namespace {

using namespace std::string_literals;
using check::FileReport;
using check::Severity;
using Found = std::vector<std::string>;

class DiagnosticsTest : public testing::CheckerTest {
protected:
    void SetUp() override {
        ResetProgramState();
        FillKeyTable();
    }

    FileReport Check(const std::string& bytes) {
        return check::CheckFile(FromUtf8(Write(u"script.ini", bytes)));
    }

    // "LINE warning TEXT" for each diagnostic, in report order.
    static Found Described(const FileReport& report) {
        Found found;
        for (const check::Diagnostic& diagnostic : report.diagnostics) {
            found.push_back(std::to_string(diagnostic.line) +
                            (diagnostic.severity == Severity::Error ? " error " : " warning ") +
                            ToUtf8(diagnostic.text));
        }
        return found;
    }
};

// The program leaves out a file past its budget; the check says which bound and where.
TEST_F(DiagnosticsTest, AFilePastItsBudgetIsNoScriptAndTheErrorSaysWhy) {
    const ScriptBudget budget{64, 20, 4, 5};
    auto checked = [&](const std::string& bytes) {
        return check::CheckFile(FromUtf8(Write(u"script.ini", bytes)), budget);
    };
    const FileReport many = checked("?kweaver\r\n{Many\r\nsleep(1)\r\nkeystring(ABC,1)\r\n");
    EXPECT_FALSE(many.isScript);
    EXPECT_TRUE(many.commands.empty());
    EXPECT_EQ(Described(many), Found{"4 error not a script: too large, it compiles to more than 4 "
                                     "commands by this line; Keyweave leaves it out"});
    EXPECT_EQ(Described(checked("?kweaver\r\n{Long\r\nkeystroke(KEY_SPACE,1)\r\n")),
              Found{"3 error not a script: too large, this line is longer than 20 characters; "
                    "Keyweave leaves it out"});
    EXPECT_EQ(Described(checked("?kweaver\r\n{Tall\r\n\r\n\r\n\r\nstop()\r\n")),
              Found{"6 error not a script: too large, it has more than 5 lines; Keyweave leaves "
                    "it out"});
    EXPECT_EQ(
        Described(checked(std::string(65, '\n'))),
        Found{"0 error not a script: too large, larger than 64 bytes; Keyweave leaves it out"});
}

TEST_F(DiagnosticsTest, UnknownKeyAndButtonNamesWithWhatTheyProbablyMeant) {
    const FileReport report = Check("?kweaver\r\n"
                                    "{Names\r\n"
                                    "keydown(Left Shift)\r\n"
                                    "keyup(KEY_LSHIT)\r\n"
                                    "keystroke(MOUSE_LEFT, 10)\r\n"
                                    "keystroke(KEY_N, 10)\r\n"
                                    "keydown(lshift)\r\n"
                                    "keyup(Escape)\r\n"
                                    "mousedown(Left Mouse)\r\n"
                                    "mouseup(KEY_A)\r\n"
                                    "keydown()\r\n"
                                    "keydown(Tab)\r\n"
                                    "keyup(key_tab)\r\n");
    EXPECT_EQ(Described(report),
              (Found{
                  "3 warning unknown key name \"LeftShift\" compiles to code 0; blanks are "
                  "removed, so a display name with blanks never matches; write KEY_LSHIFT",
                  "4 warning unknown key name \"KEY_LSHIT\" compiles to code 0; did you mean "
                  "KEY_LSHIFT?",
                  "5 warning unknown key name \"MOUSE_LEFT\" compiles to code 0; it names a mouse "
                  "button, which mousedown, mouseup and mousestroke press",
                  "6 warning unknown key name \"KEY_N\" compiles to code 0; the key table has no "
                  "key for the letter N",
                  "7 warning unknown key name \"lshift\" compiles to code 0; write KEY_LSHIFT",
                  "8 warning unknown key name \"Escape\" compiles to code 0",
                  "9 warning unknown button name \"LeftMouse\" compiles to code 0; blanks are "
                  "removed, so a display name with blanks never matches; write MOUSE_LEFT",
                  "10 warning unknown button name \"KEY_A\" compiles to code 0; it names a "
                  "keyboard key, which keydown, keyup and keystroke press",
                  "11 warning no key name is given; it compiles to code 0",
              }));
    EXPECT_TRUE(report.isScript);
}

TEST_F(DiagnosticsTest, NumbersThatReadAsZeroOrStopEarly) {
    const FileReport report = Check("?kweaver\n"
                                    "{Numbers\n"
                                    "sleep(abc)\n"
                                    "sleep(100wait)\n"
                                    "sleep($3E8)\n"
                                    "sleep(-5)\n"
                                    "sleep()\n"
                                    "mouseloc(400)\n"
                                    "mouseloc(12x, 3)\n"
                                    "keystroke(KEY_A)\n"
                                    "mousestroke(MOUSE_LEFT, 10ms)\n"
                                    "mouseloc(400\t, -300)\n"
                                    "sleep(%101)\n");
    EXPECT_EQ(Described(report),
              (Found{
                  "3 warning the duration \"abc\" is not a number and reads as 0",
                  "4 warning the duration \"100wait\" reads as 100: reading stops at \"wait\"",
                  "6 warning a negative duration (-5) does not wait",
                  "7 warning the duration is empty and reads as 0",
                  "8 warning mouseloc has no second argument, the y coordinate, which reads as 0",
                  "9 warning the x coordinate \"12x\" reads as 12: reading stops at \"x\"",
                  "10 warning keystroke has no second argument, the interval, which reads as 0",
                  "11 warning the interval \"10ms\" reads as 10: reading stops at \"ms\"",
              }));
}

TEST_F(DiagnosticsTest, LinesThatAreSkippedOrReadOtherwise) {
    const FileReport report = Check("\\\\ comment before the header\n"
                                    "?kweaver\n"
                                    "sleep(10)\n"
                                    "stop\n"
                                    "# note\n"
                                    "key down(KEY_A)\n"
                                    "keystrok(KEY_A, 5)\n"
                                    "press(KEY_A)\n"
                                    "sleep(100) wait\n"
                                    "keydown(KEY_A, KEY_B)\n"
                                    "keyup(KEY_A)\n"
                                    "pause(now)\n"
                                    "\\ one backslash\n");
    EXPECT_EQ(Described(report),
              (Found{
                  "3 warning the statement \"sleep(10)\" is taken as the name line and is not "
                  "compiled; put a name line starting with \"{\" after the header",
                  "4 warning a line without \"(\" is not a statement and is ignored; write "
                  "\"stop()\"",
                  "5 warning a line without \"(\" is not a statement and is ignored; a comment "
                  "line starts with two backslashes",
                  "6 warning unknown keyword \"key down\"; the line is ignored; write \"keydown\"",
                  "7 warning unknown keyword \"keystrok\"; the line is ignored; did you mean "
                  "\"keystroke\"?",
                  "8 warning unknown keyword \"press\"; the line is ignored",
                  "9 warning the duration \"100wait\" reads as 100: reading stops at \"wait\"",
                  "9 warning the text \"wait\" after the closing parenthesis joins the last "
                  "argument",
                  "10 warning keydown uses only its first argument; \"KEY_B\" is ignored",
                  "12 warning pause takes no arguments; \"now\" is ignored",
                  "13 warning a line without \"(\" is not a statement and is ignored; a comment "
                  "line starts with two backslashes",
              }));
    EXPECT_EQ(report.name, u"");
}

TEST_F(DiagnosticsTest, NameLines) {
    EXPECT_EQ(Described(Check("?kweaver\nMy macro\nstop()\n")),
              (Found{"2 warning this line is taken as the name line, but without \"{\" in front "
                     "the script gets no name"}));
    const FileReport braced = Check("?kweaver\n{ 'My macro' }\nstop()\n");
    EXPECT_EQ(Described(braced), (Found{"2 warning the name \"My macro }\" keeps its closing "
                                        "brace: the name is everything after \"{\""}));
    EXPECT_EQ(braced.name, u"My macro }");
}

TEST_F(DiagnosticsTest, KeystringCharactersThatAreSkippedOrPressAnotherKey) {
    const FileReport report = Check("?kweaver\n"
                                    "{Typing\n"
                                    "keystring(Hello World, 10)\n"
                                    "keystring(%&'{, 5)\n"
                                    "keystring(N1\t2, 5)\n"
                                    "keystring( , 5)\n");
    EXPECT_EQ(Described(report),
              (Found{
                  "3 warning blanks in the keystring text are removed and never typed",
                  "3 warning keystring character \"e\" has no key and is skipped; capitals name "
                  "the letter keys",
                  "3 warning keystring character \"l\" has no key and is skipped; capitals name "
                  "the letter keys",
                  "3 warning keystring character \"o\" has no key and is skipped; capitals name "
                  "the letter keys",
                  "3 warning keystring character \"r\" presses F3 (KEY_F3)",
                  "3 warning keystring character \"d\" has no key and is skipped; capitals name "
                  "the letter keys",
                  "4 warning keystring character \"%\" presses Arrow Left (KEY_LEFT)",
                  "4 warning keystring character \"&\" presses Arrow Up (KEY_UP)",
                  "4 warning keystring character \"'\" presses Arrow Right (KEY_RIGHT)",
                  "4 warning keystring character \"{\" presses F12 (KEY_F12)",
                  "5 warning keystring character \"N\" has no key and is skipped; the key table "
                  "has no key for the letter N",
                  "6 warning blanks in the keystring text are removed and never typed",
                  "6 warning the keystring text is empty and compiles to nothing",
              }));
}

TEST_F(DiagnosticsTest, KeysAndButtonsStillHeldWhenTheLastCommandHasRun) {
    const FileReport report = Check("?kweaver\n"
                                    "{Held\n"
                                    "keydown(KEY_LSHIFT)\n"
                                    "keydown(KEY_A)\n"
                                    "keyup(KEY_A)\n"
                                    "mousedown(MOUSE_RIGHT)\n"
                                    "keystroke(KEY_B, 5)\n"
                                    "pause()\n"
                                    "keydown(KEY_A)\n"
                                    "keydown(KEY_A)\n"
                                    "stop()\n"
                                    "keyup(KEY_LSHIFT)\n"
                                    "mouseup(MOUSE_RIGHT)\n");
    EXPECT_EQ(Described(report),
              (Found{
                  "3 warning KEY_LSHIFT is pressed here and still held when the last command "
                  "has run; no keyup(KEY_LSHIFT) follows",
                  "6 warning MOUSE_RIGHT is pressed here and still held when the last command "
                  "has run; no mouseup(MOUSE_RIGHT) follows",
                  "9 warning KEY_A is pressed here and still held when the last command has "
                  "run; no keyup(KEY_A) follows",
                  "12 warning this line and the rest of the script never run: the stop() on "
                  "line 11 rewinds the script",
              }));
    EXPECT_TRUE(Described(Check("?kweaver\n{Balanced\nkeydown(KEY_A)\nmousedown(MOUSE_LEFT)\n"
                                "mouseup(MOUSE_LEFT)\nkeyup(KEY_A)\nstop()\n"))
                    .empty());
}

TEST_F(DiagnosticsTest, FilesThatAreNotScripts) {
    EXPECT_EQ(Described(Check("[Section]\r\nkey=value\r\n")),
              (Found{"1 error not a script: there is no \"?kweaver\" header line"}));
    EXPECT_EQ(Described(Check("")),
              (Found{"1 error not a script: there is no \"?kweaver\" header line"}));
    EXPECT_EQ(Described(Check("\\\\ header last\r\n?kweaver\r\n\r\n\\\\ end\r\n")),
              (Found{"2 error not a script: the header is the last significant line; a name "
                     "line and statements must follow it"}));
    EXPECT_EQ(
        Described(Check("\\\\ spaced\n? KWEAVER\nstop()\n")),
        (Found{"1 error not a script: there is no \"?kweaver\" header line",
               "2 error this line is not the header: the header line is \"?kweaver\" alone"}));
}

TEST_F(DiagnosticsTest, ByteOrderMarksAndUtf16InFrontOfTheHeader) {
    const FileReport marked = Check("\xEF\xBB\xBF?kweaver\r\n{Marked\r\nstop()\r\n");
    EXPECT_FALSE(marked.isScript);
    EXPECT_EQ(Described(marked),
              (Found{"1 error a UTF-8 byte-order mark stands in front of the header, which is "
                     "therefore not recognised; save the file without a byte-order mark",
                     "1 error not a script: there is no \"?kweaver\" header line"}));

    const Found utf16{"1 error the file is UTF-16 text: it is read one byte per character and "
                      "its zero bytes end lines; save it as 8-bit text (ANSI or Latin-1)",
                      "1 error not a script: there is no \"?kweaver\" header line"};
    const std::string text = "?kweaver\r\n{Wide\r\nstop()\r\n";
    std::string littleEndian = "\xFF\xFE";
    std::string bigEndianWithoutMark;
    for (char c : text) {
        littleEndian += {c, '\0'};
        bigEndianWithoutMark += {'\0', c};
    }
    EXPECT_EQ(Described(Check(littleEndian)), utf16);
    EXPECT_EQ(Described(Check(bigEndianWithoutMark)), utf16);

    EXPECT_TRUE(
        Described(Check("\xEF\xBB\xBF\\\\ marked comment\n?kweaver\n{x\nstop()\n")).empty());
}

TEST_F(DiagnosticsTest, LineNumbersCountLineFeedsAlsoAfterAZeroByte) {
    const FileReport report = Check("?kweaver\r\n{Zero\r\nsleep(1\0)\r\nkeydown(KEY_Q)\r\n"s);
    EXPECT_EQ(Described(report),
              (Found{"3 warning a zero byte ends this line; the text after it is read as a line "
                     "of its own",
                     "3 warning a line without \"(\" is not a statement and is ignored",
                     "4 warning KEY_Q is pressed here and still held when the last command has "
                     "run; no keyup(KEY_Q) follows"}));
}

TEST_F(DiagnosticsTest, CompilesExactlyWhatTheLibraryLoads) {
    const std::string path = Write(u"same.ini", "\\\\ test\r\n?KWEAVER\r\n{'Jump and type'\r\n"
                                                "KeyStroke( key_space , 50 )\r\nsleep(1000)\r\n"
                                                "keystring(AB 1, 10)\r\nmouseloc(400, 300)\r\n"
                                                "mousestroke(MOUSE_LEFT,20)\r\npress(KEY_A)\r\n"
                                                "pause()\r\n");
    const FileReport report = check::CheckFile(FromUtf8(path));
    const ScriptRef loaded = TScript::Load(FromUtf8(path));
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(report.isScript);
    EXPECT_EQ(report.name, loaded->Name);
    EXPECT_EQ(DisplayLines(report.commands), DisplayLines(loaded->DataList));
    EXPECT_EQ(report.commands.size(), 20u);
}

TEST(RawTextTest, CutsLinesAsTheReaderDoesAndCountsThemAsAnEditorDoes) {
    const auto cut = check::CutLikeReadLine("a\r\nb\0c\nd"s);
    ASSERT_EQ(cut.size(), 4u);
    EXPECT_EQ(cut[0].editorLine, 1);
    EXPECT_EQ(cut[1].editorLine, 2);
    EXPECT_TRUE(cut[1].endsAtZero);
    EXPECT_EQ(cut[2].editorLine, 2);
    EXPECT_EQ(cut[3].editorLine, 3);
    EXPECT_EQ(check::CutLikeReadLine("a\n").size(), 1u);
    EXPECT_EQ(check::CutLikeReadLine("a\nb\nc\n", 2).size(), 2u);
    EXPECT_TRUE(check::CutLikeReadLine("").empty());
}

} // namespace
} // namespace keyweave
