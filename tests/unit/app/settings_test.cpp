#include "app/app.h"
#include "input/keyboard.h"
#include "support/temp_folder.h"
#include "unit/app/program_fixture.h"

#include <algorithm>
#include <filesystem>

namespace keyweave::testing {
namespace {

using Names16 = std::vector<std::u16string>;

class SettingsTest : public ProgramTest {
protected:
    Names16 Load(const std::string& bytes) {
        folder.Write("settings.ini", bytes);
        TApp::LoadSettings();
        return BoundScriptNames();
    }

    static Names16 BoundScriptNames() {
        Names16 names;
        for (const auto& key : Program().BindList) {
            names.push_back(key->ScriptName);
        }
        return names;
    }

    // The names in the folder, sorted.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    static void Bind(std::initializer_list<int> codes) {
        for (int code : codes) {
            Program().BindList.push_back(TKeyboard::ReturnTKeyFromInt(code));
        }
    }

    WorkingFolder folder;
};

TEST_F(SettingsTest, ABindingSurvivesASaveAndLoadByteForByte) {
    EXPECT_EQ(Load("KEY_F1 KEY_LCTRL\r\n"), (Names16{u"KEY_F1", u"KEY_LCTRL"}));
    EXPECT_EQ(Program().BindList.front(), TKeyboard::ReturnTKeyFromInt(112));
    folder.Write("settings.ini", "");
    TApp::SaveSettings();
    EXPECT_EQ(folder.Read("settings.ini"), "KEY_F1 KEY_LCTRL\r\n");
    EXPECT_EQ(Entries(), std::vector<std::string>{"settings.ini"});
}

TEST_F(SettingsTest, NamesMatchByScriptNameOrDisplayNameInAnyCase) {
    EXPECT_EQ(Load("key_f1 F1 left\r\n"), (Names16{u"KEY_F1", u"KEY_F1"}));
}

TEST_F(SettingsTest, EveryBlankSeparatesAndEmptyPiecesAreDropped) {
    EXPECT_EQ(Load(" KEY_TAB  KEY_A \r\n"), (Names16{u"KEY_TAB", u"KEY_A"}));
}

TEST_F(SettingsTest, AKeyNamedTwiceIsBoundTwiceAndSavedTwice) {
    EXPECT_EQ(Load("KEY_A KEY_A"), (Names16{u"KEY_A", u"KEY_A"}));
    TApp::SaveSettings();
    EXPECT_EQ(folder.Read("settings.ini"), "KEY_A KEY_A\r\n");
}

TEST_F(SettingsTest, OnlyTheFirstLineCounts) {
    EXPECT_EQ(Load("KEY_A\r\nKEY_B\r\n"), (Names16{u"KEY_A"}));
}

// A first line past 64 KiB is read up to there; a name that the bound cuts is dropped, since
// its start could name another key.
TEST_F(SettingsTest, AVeryLongLineIsReadOnlyToItsBoundAndKeepsOnlyWholeNames) {
    const std::size_t bound = 64 * 1024;
    std::string line = "KEY_A ";
    line += std::string(bound - line.size() - 4, ' ');
    EXPECT_EQ(Load(line + "KEY_F12 KEY_B\r\n"), (Names16{u"KEY_A"}));
    Program().BindList.clear();
    EXPECT_EQ(Load(line + "KEY KEY_B\r\n"), (Names16{u"KEY_A"}));
}

TEST_F(SettingsTest, NamesOutsideTheKeyboardTableAreDropped) {
    EXPECT_EQ(Load("MOUSE_LEFT Left Ctrl KEY_N Right  Mouse KEY_B"), (Names16{u"KEY_B"}));
}

TEST_F(SettingsTest, EmptyFilesBindNothing) {
    EXPECT_TRUE(Load("").empty());
    EXPECT_TRUE(Load("\r\n").empty());
}

TEST_F(SettingsTest, AMissingFileOrAFolderBindsNothing) {
    TApp::LoadSettings();
    EXPECT_TRUE(Program().BindList.empty());
    std::filesystem::create_directory("settings.ini");
    TApp::LoadSettings();
    EXPECT_TRUE(Program().BindList.empty());
}

TEST_F(SettingsTest, LoadingAppendsToTheBinding) {
    Bind({65});
    EXPECT_EQ(Load("KEY_B"), (Names16{u"KEY_A", u"KEY_B"}));
}

TEST_F(SettingsTest, AnEmptyBindingIsSavedAsAnEmptyLine) {
    folder.Write("settings.ini", "KEY_A\r\n");
    TApp::SaveSettings();
    EXPECT_EQ(folder.Read("settings.ini"), "\r\n");
}

// The new file is written under a name that nothing has yet, and nothing else is touched.
TEST_F(SettingsTest, TheUsersOwnFilesBesideTheSettingsAreLeftAlone) {
    folder.Write("settings.ini", "KEY_A\r\n");
    folder.Write("settings.ini.tmp", "mine\r\n");
    folder.Write("settings.ini.saving-1", "mine too\r\n");
    std::filesystem::create_directory("settings.ini.saving-2");
    Bind({112});
    TApp::SaveSettings();
    EXPECT_EQ(folder.Read("settings.ini"), "KEY_F1\r\n");
    EXPECT_EQ(folder.Read("settings.ini.tmp"), "mine\r\n");
    EXPECT_EQ(folder.Read("settings.ini.saving-1"), "mine too\r\n");
    EXPECT_EQ(Entries(), (std::vector<std::string>{"settings.ini", "settings.ini.saving-1",
                                                   "settings.ini.saving-2", "settings.ini.tmp"}));
}

TEST_F(SettingsTest, AFileThatCannotBeReplacedStaysAndLeavesNoTemporaryFile) {
    std::filesystem::create_directories("settings.ini/inside");
    Bind({112});
    TApp::SaveSettings();
    EXPECT_TRUE(std::filesystem::is_directory("settings.ini/inside"));
    EXPECT_EQ(Entries(), std::vector<std::string>{"settings.ini"});
    EXPECT_EQ(BoundScriptNames(), (Names16{u"KEY_F1"}));
}

// A link that leads back to itself names no file: the link stays as it is.
TEST_F(SettingsTest, ALoopingLinkIsLeftAlone) {
    std::error_code error;
    std::filesystem::create_symlink("settings.ini", "settings.ini", error);
    if (error) {
        GTEST_SKIP() << "this file system makes no symbolic links";
    }
    Bind({112});
    TApp::SaveSettings();
    EXPECT_EQ(std::filesystem::read_symlink("settings.ini"), "settings.ini");
    EXPECT_EQ(Entries(), std::vector<std::string>{"settings.ini"});
}

TEST_F(SettingsTest, AFolderThatIsMissingWritesNothing) {
    Program().SettingsPath = u"missing\\settings.ini";
    Bind({112});
    TApp::SaveSettings();
    EXPECT_FALSE(folder.Exists("missing"));
    EXPECT_EQ(BoundScriptNames(), (Names16{u"KEY_F1"}));
}

} // namespace
} // namespace keyweave::testing
