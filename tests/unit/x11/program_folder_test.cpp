#include "platform/x11/program_folder.h"

#include <gtest/gtest.h>

namespace keyweave::x11 {
namespace {

FolderFacts Facts(const char* programDir, bool writable, bool installed) {
    FolderFacts facts;
    facts.programDir = programDir;
    facts.programDirWritable = writable;
    facts.installed = installed;
    facts.home = "/home/ada";
    return facts;
}

TEST(ChooseProgramFolder, AWritableBuildOrUnpackedFolderKeepsEverythingBesideTheProgram) {
    FolderChoice choice = ChooseProgramFolder(Facts("/work/keyweave/build/linux", true, false));
    EXPECT_EQ(choice.folder, "/work/keyweave/build/linux");
    EXPECT_TRUE(choice.seedScripts.empty());
}

TEST(ChooseProgramFolder, AnInstalledProgramUsesTheConfigFolderSeededFromShare) {
    FolderChoice choice = ChooseProgramFolder(Facts("/usr/local/bin", false, true));
    EXPECT_EQ(choice.folder, "/home/ada/.config/keyweave");
    EXPECT_EQ(choice.seedScripts, "/usr/local/share/keyweave/Scripts");
}

TEST(ChooseProgramFolder, AnInstalledProgramStaysOutOfItsPrefixEvenWhenItCouldWriteThere) {
    FolderChoice choice = ChooseProgramFolder(Facts("/usr/local/bin", true, true));
    EXPECT_EQ(choice.folder, "/home/ada/.config/keyweave");
}

TEST(ChooseProgramFolder, AnAbsoluteXdgConfigHomeWins) {
    FolderFacts facts = Facts("/opt/kw/bin", false, true);
    facts.xdgConfigHome = "/data/config";
    EXPECT_EQ(ChooseProgramFolder(facts).folder, "/data/config/keyweave");
    facts.xdgConfigHome = "relative/config";
    EXPECT_EQ(ChooseProgramFolder(facts).folder, "/home/ada/.config/keyweave");
}

TEST(ChooseProgramFolder, AReadOnlyUnpackedFolderSeedsFromItsOwnScripts) {
    FolderChoice choice = ChooseProgramFolder(Facts("/media/cd/keyweave", false, false));
    EXPECT_EQ(choice.folder, "/home/ada/.config/keyweave");
    EXPECT_EQ(choice.seedScripts, "/media/cd/keyweave/Scripts");
}

TEST(InstalledScripts, LieInTheSharedDataOfThePrefix) {
    EXPECT_EQ(InstalledScripts("/usr/bin"), "/usr/share/keyweave/Scripts");
}

} // namespace
} // namespace keyweave::x11
