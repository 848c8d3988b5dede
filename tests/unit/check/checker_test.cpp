#include "simulation.h"
#include "unit/check/check_test_support.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace keyweave {
namespace {

using Lines = std::vector<std::string>;

const std::string kClean = "?kweaver\n{Clean\nkeystroke(KEY_A, 10)\nsleep(100)\n";

using CheckCommandTest = testing::CheckerTest;

TEST_F(CheckCommandTest, SummarisesEachScriptAndReportsProblemsGccStyle) {
    const std::string path = Write(u"worked.ini", testing::kWorkedExample);
    const testing::CheckRun run = Run({path});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, path + ": \"Jump and type\", 20 commands\n");
    EXPECT_EQ(run.ErrLines(),
              (Lines{path + ":7: warning: blanks in the keystring text are removed and never typed",
                     path + ":10: warning: unknown keyword \"press\"; the line is ignored"}));
}

TEST_F(CheckCommandTest, StrictCountsWarnings) {
    const std::string worked = Write(u"worked.ini", testing::kWorkedExample);
    const std::string clean = Write(u"clean.ini", kClean);
    EXPECT_EQ(Run({"--strict", worked}).status, 1);
    EXPECT_EQ(Run({clean, "--strict"}).status, 0);
    const testing::CheckRun both = Run({"--strict", clean, worked});
    EXPECT_EQ(both.status, 1);
    EXPECT_EQ(both.out,
              clean + ": \"Clean\", 4 commands\n" + worked + ": \"Jump and type\", 20 commands\n");
}

TEST_F(CheckCommandTest, ListsTheCompiledCommandsAsTheScriptViewShowsThem) {
    const testing::CheckRun run = Run({"--list", Write(u"worked.ini", testing::kWorkedExample)});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "KeyDown( KEY_SPACE )\n"
                       "\tSleep( 50 )\n"
                       "KeyUp( KEY_SPACE )\n"
                       "Sleep( 1000 )\n"
                       "KeyDown( KEY_A )\n"
                       "\tSleep( 10 )\n"
                       "KeyUp( KEY_A )\n"
                       "Sleep( 10 )\n"
                       "KeyDown( KEY_B )\n"
                       "\tSleep( 10 )\n"
                       "KeyUp( KEY_B )\n"
                       "Sleep( 10 )\n"
                       "KeyDown( KEY_1 )\n"
                       "\tSleep( 10 )\n"
                       "KeyUp( KEY_1 )\n"
                       "MouseLoc( 400, 300 )\n"
                       "MouseDown( MOUSE_LEFT )\n"
                       "\tSleep( 20 )\n"
                       "MouseUp( MOUSE_LEFT )\n"
                       "Pause()\n");

    const testing::CheckRun unbalanced =
        Run({"--list", Write(u"held.ini", "?kweaver\n{\nkeydown(KEY_A)\nkeydown(Shift)\n")});
    EXPECT_EQ(unbalanced.out, "KeyDown( KEY_A )\n\tKeyDown(  )\n");
}

TEST_F(CheckCommandTest, PrintsNamesAndPathsAsUtf8) {
    const std::string path = Write(u"caf\u00e9.ini", "?kweaver\r\n{Caf\xE9 \xA7\r\nstop()\r\n");
    const testing::CheckRun run = Run({path});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, path + ": \"Caf\xC3\xA9 \xC2\xA7\", 1 commands\n");
}

TEST_F(CheckCommandTest, AnyFileThatIsNotAScriptGivesOne) {
    const std::string clean = Write(u"clean.ini", kClean);
    const std::string plain = Write(u"plain.ini", "[Section]\r\nkey=value\r\n");
    const std::string missing = Path(u"missing.ini");
    const std::string folder = Path(u"");
    const testing::CheckRun run = Run({clean, plain, missing, folder});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, clean + ": \"Clean\", 4 commands\n");
    EXPECT_EQ(run.ErrLines(),
              (Lines{plain + ":1: error: not a script: there is no \"?kweaver\" header line",
                     missing + ": error: cannot be read",
                     folder + ": error: is a folder, not a script file"}));

    for (const std::string& file : {plain, folder}) {
        for (const Lines& args : {Lines{"--list", file}, Lines{"--simulate", "100", file}}) {
            const testing::CheckRun refused = Run(args);
            EXPECT_EQ(refused.status, 1) << args[0] << " " << file;
            EXPECT_EQ(refused.out, "");
        }
    }
}

#ifndef _WIN32
TEST_F(CheckCommandTest, OnlyRegularFilesAreOpenedWhereverLinksLead) {
    const std::string clean = Write(u"clean.ini", kClean);
    const std::string fifo = Path(u"fifo.ini");
    const std::string link = Path(u"link.ini");
    const std::string dangling = Path(u"dangling.ini");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(symlink(clean.c_str(), link.c_str()), 0);
    ASSERT_EQ(symlink(Path(u"gone.ini").c_str(), dangling.c_str()), 0);
    const std::string notRegular =
        ": error: is not a regular file (a FIFO, socket or device), not a script file";

    bool blocked = false;
    const testing::CheckRun run = RunBesideFifo({fifo, "/dev/null", link, dangling}, fifo, blocked);
    EXPECT_FALSE(blocked);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, link + ": \"Clean\", 4 commands\n");
    EXPECT_EQ(run.ErrLines(), (Lines{fifo + notRegular, "/dev/null" + notRegular,
                                     dangling + ": error: cannot be read"}));

    for (const Lines& args : {Lines{"--list", fifo}, Lines{"--simulate", "100", fifo}}) {
        const testing::CheckRun refused = RunBesideFifo(args, fifo, blocked);
        EXPECT_FALSE(blocked) << args[0];
        EXPECT_EQ(refused.status, 1);
        EXPECT_EQ(refused.out, "");
        EXPECT_EQ(refused.err, fifo + notRegular + "\n");
    }
}
#endif

TEST_F(CheckCommandTest, UsageErrorsGiveTwoAndNothingOnStandardOutput) {
    const std::string clean = Write(u"clean.ini", kClean);
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{}, "no script file given"},
        {{"--strict"}, "no script file given"},
        {{"--bogus", clean}, "unknown option \"--bogus\""},
        {{"--list", clean, clean}, "--list takes exactly one file"},
        {{"--list"}, "no script file given"},
    };
    for (const auto& [args, problem] : cases) {
        const testing::CheckRun run = Run(args);
        EXPECT_EQ(run.status, 2) << problem;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "keyweave-check: " + problem + "\nTry \"keyweave-check --help\".\n");
    }
}

TEST_F(CheckCommandTest, HelpGoesToStandardOutput) {
    const testing::CheckRun run = Run({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out.rfind("Usage: keyweave-check [--strict] FILE...\n", 0), 0u);
    for (const char* topic :
         {"--list", "--strict", "--simulate MS", "T move X Y", "FILE:LINE: warning: TEXT",
          "FILE: \"NAME\", N commands", "2  usage error", "not a regular file"}) {
        EXPECT_NE(run.out.find(topic), std::string::npos) << topic;
    }
    EXPECT_NE(run.out.find(std::to_string(check::kLongestSimulationMs) + " (about 292 million"),
              std::string::npos);
}

TEST_F(CheckCommandTest, ADoubleDashEndsTheOptions) {
    Write(u"-odd.ini", kClean);
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(FromUtf8(Path(u"")));
    const testing::CheckRun run = Run({"--", "-odd.ini"});
    const testing::CheckRun option = Run({"-odd.ini"});
    std::filesystem::current_path(previous);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "-odd.ini: \"Clean\", 4 commands\n");
    EXPECT_EQ(option.status, 2);
}

} // namespace
} // namespace keyweave
