#include "app/program_state.h"
#include "runtime/strings.h"
#include "script/script.h"
#include "support/temp_folder.h"
#include "unit/script/script_test_support.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace keyweave {
namespace {

using testing::Described;
using Names = std::vector<std::u16string>;

class LibraryTest : public testing::KeyTableFixture {
protected:
    static Names SortedNames() {
        Names names;
        for (const ScriptRef& script : Program().ScriptList) {
            names.push_back(script->Name);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    void MakeScriptsFolder() { std::filesystem::create_directory(folder.Path() / "Scripts"); }

    testing::WorkingFolder folder;
};

// A file past its budget is no script, whichever bound it passes: its size, its lines, a
// line's length or the commands it compiles to. Within the budget it loads.
TEST_F(LibraryTest, AFilePastItsBudgetIsNoScript) {
    const ScriptBudget budget{64, 20, 4, 5};
    folder.Write("fits.ini", "?kweaver\r\n{Fits\r\nkeystroke(KEY_A,1)\r\n");
    folder.Write("tall.ini", "?kweaver\r\n{Tall\r\n\r\n\r\n\r\nstop()\r\n");
    const std::string comment = "\\\\ a short comment\r\n";
    folder.Write("big.ini", "?kweaver\r\n{Big\r\n" + comment + comment + comment);
    folder.Write("long.ini", "?kweaver\r\n{Long\r\nkeystroke(KEY_SPACE,1)\r\n");
    folder.Write("many.ini", "?kweaver\r\n{Many\r\nkeystring(ABC,1)\r\n");
    TScript script;
    EXPECT_EQ(script.Read(u"fits.ini", budget), 1);
    EXPECT_EQ(script.DataList.size(), 3u);
    for (const char16_t* file : {u"big.ini", u"tall.ini", u"long.ini", u"many.ini"}) {
        EXPECT_EQ(script.Read(file, budget), 0) << ToUtf8(file);
        EXPECT_TRUE(script.DataList.empty());
    }
    // What a file left out read and compiled is spent all the same.
    ReadCost cost;
    script.Read(u"many.ini", budget, &cost);
    EXPECT_EQ(cost.commands, 4u);
    script.Read(u"tall.ini", budget, &cost);
    EXPECT_EQ(cost.lines, 6u);
}

// The library's budget is shared by its files in the order they are read: one that would pass
// what is left is left out.
TEST_F(LibraryTest, TheLibrarysBudgetLeavesOutWhatWouldPassIt) {
    MakeScriptsFolder();
    folder.Write("Scripts/a.ini", "?kweaver\r\n{A\r\nkeystroke(KEY_A,1)\r\n");
    folder.Write("Scripts/b.ini", "?kweaver\r\n{B\r\nkeystroke(KEY_B,1)\r\n");
    folder.Write("Scripts/c.ini", "?kweaver\r\n{Stop\r\nstop()\r\n");
    TScript::LoadScriptsFinding(u"", {1 << 20, 1 << 10, 4, 1 << 10});
    const Names loaded = SortedNames();
    // Whichever of A and B is read first loads; the other would pass the command left.
    EXPECT_EQ(std::count(loaded.begin(), loaded.end(), u"A") +
                  std::count(loaded.begin(), loaded.end(), u"B"),
              1);
    // Each file reads three lines: the third file read finds one left.
    TScript::LoadScriptsFinding(u"", {1 << 20, 1 << 10, 1 << 10, 7});
    EXPECT_EQ(SortedNames().size(), 2u);
}

TEST_F(LibraryTest, LoadsTheScriptsOfTheScriptsFolder) {
    MakeScriptsFolder();
    folder.Write("Scripts/a.ini", "?kweaver\r\n{Alpha\r\nkeystroke(KEY_A, 10)\r\n");
    folder.Write("Scripts/B.INI", "?kweaver\r\n{Capitals\r\nstop()\r\n");
    folder.Write("Scripts/c.ini.txt", "?kweaver\r\n{Text file\r\nstop()\r\n");
    folder.Write("Scripts/e.ini", "?kweaver\r\nkeydown(KEY_A)\r\nkeyup(KEY_A)\r\n");
    folder.Write("Scripts/f.ini", "[Section]\r\nkey=value\r\n");
    folder.Write("Scripts/g.ini", "\\\\ header last\r\n?kweaver\r\n\r\n");
    folder.Write("Scripts/h.ini", "\xef\xbb\xbf?kweaver\r\n{Marked\r\nstop()\r\n");
    folder.Write("Scripts/noext", "?kweaver\r\n{No extension\r\nstop()\r\n");
    std::filesystem::create_directory(folder.Path() / "Scripts" / "d.ini");
    folder.Write("Scripts/d.ini/inner.ini", "?kweaver\r\n{Inner\r\nstop()\r\n");

    EXPECT_EQ(TScript::LoadScripts(), 0);

    EXPECT_EQ(SortedNames(), (Names{u"", u"Alpha", u"Capitals"}));
    for (const ScriptRef& script : Program().ScriptList) {
        EXPECT_EQ(script->Path, u"");
        EXPECT_TRUE(script->WorkList().empty());
        EXPECT_EQ(script->Timer, nullptr);
        if (script->Name == u"Alpha") {
            EXPECT_EQ(Described(script->DataList),
                      (std::vector<std::string>{"KEYDOWN 65", "SLEEP 10", "KEYUP 65"}));
        }
        if (script->Name.empty()) {
            EXPECT_EQ(Described(script->DataList), std::vector<std::string>{"KEYUP 65"});
        }
    }
}

TEST_F(LibraryTest, ReloadingStartsAFreshListWithNothingSelected) {
    MakeScriptsFolder();
    folder.Write("Scripts/one.ini", "?kweaver\r\n{One\r\nstop()\r\n");
    TScript::LoadScripts();
    ASSERT_EQ(Program().ScriptList.size(), 1u);
    ScriptRef first = Program().ScriptList[0];
    Program().CurrentScript = first;

    folder.Write("Scripts/two.ini", "?kweaver\r\n{Two\r\nstop()\r\n");
    TScript::LoadScripts();

    EXPECT_EQ(Program().CurrentScript, nullptr);
    EXPECT_EQ(SortedNames(), (Names{u"One", u"Two"}));
    EXPECT_NE(Program().ScriptList[0], first);
    EXPECT_NE(Program().ScriptList[1], first);
}

TEST_F(LibraryTest, NoScriptsFolderGivesNoScripts) {
    Program().ScriptList.push_back(std::make_shared<TScript>());
    TScript::LoadScripts();
    EXPECT_TRUE(Program().ScriptList.empty());
}

TEST_F(LibraryTest, LoadAppendsOnlyScripts) {
    folder.Write("yes.ini", "?kweaver\r\n{Yes\r\n");
    folder.Write("no.ini", "just text\r\n");

    EXPECT_EQ(TScript::Load(u"no.ini"), nullptr);
    EXPECT_EQ(TScript::Load(u"missing.ini"), nullptr);
    ScriptRef yes = TScript::Load(u"yes.ini");
    ASSERT_NE(yes, nullptr);
    EXPECT_EQ(yes->Name, u"Yes");
    EXPECT_TRUE(yes->DataList.empty());
    EXPECT_EQ(Program().ScriptList, std::vector<ScriptRef>{yes});
}

TEST_F(LibraryTest, ReadStartsOverAndKeepsTheNameWithoutANameLine) {
    folder.Write("named.ini", "?kweaver\r\n{Named\r\nsleep(5)\r\n");
    folder.Write("unnamed.ini", "?kweaver\r\nsleep(1)\r\nsleep(2)");
    TScript script;

    EXPECT_EQ(script.Read(u"named.ini"), 1);
    EXPECT_EQ(script.Read(u"unnamed.ini"), 1);
    EXPECT_EQ(script.Name, u"Named");
    EXPECT_EQ(Described(script.DataList), std::vector<std::string>{"SLEEP 2"});

    EXPECT_EQ(script.Read(u"missing.ini"), 0);
    EXPECT_TRUE(script.DataList.empty());
}

TEST_F(LibraryTest, ReadingAFolderFailsQuietly) {
    MakeScriptsFolder();
    TScript script;
    EXPECT_EQ(script.Read(u"Scripts"), 0);
    EXPECT_TRUE(script.DataList.empty());
}

} // namespace
} // namespace keyweave
