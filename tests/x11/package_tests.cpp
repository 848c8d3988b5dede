// The Debian package as a user meets it: installed with apt-get, the installed checker run on
// the installed examples, the installed program run on a private X server with its files in
// ~/.config/keyweave, and the package removed again, whatever happened in between.

#include "shared_session.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <vector>

namespace keyweave::x11test {
namespace {

namespace fs = std::filesystem;

// apt-get without questions, waiting for another apt's lock for half of the step's time.
bool AptGet(const std::vector<std::string>& arguments, const std::string& log) {
    constexpr std::chrono::seconds kStepLimit{240};
    std::vector<std::string> command{FindProgram("apt-get"), "-y", "-q", "-o",
                                     "DPkg::Lock::Timeout=120"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    SpawnOptions options;
    options.environment["DEBIAN_FRONTEND"] = "noninteractive";
    options.outputFile = log;
    return RunToEnd(command, options, kStepLimit) == 0;
}

// Removes the package when the test ends, however it ends.
struct RemovedAtTheEnd {
    std::string log;
    bool removed = false;
    ~RemovedAtTheEnd() {
        if (!removed) {
            AptGet({"remove", "keyweave"}, log);
        }
    }
};

TEST(Package, InstallsRunsAndIsRemovedAgainAsAUserWould) {
    ASSERT_TRUE(SessionProblem().empty()) << SessionProblem();
    ASSERT_TRUE(fs::exists(KEYWEAVE_DEB_FILE)) << KEYWEAVE_DEB_FILE << " is missing: make package";
    const std::string log = ScratchFolder() + "/apt-get.log";
    {
        RemovedAtTheEnd package{log};
        ASSERT_TRUE(AptGet({"install", "--no-install-recommends", KEYWEAVE_DEB_FILE}, log))
            << "see " << log;

        EXPECT_TRUE(fs::exists("/usr/share/man/man1/keyweave.1.gz"));
        EXPECT_TRUE(fs::exists("/usr/share/man/man1/keyweave-check.1.gz"));
        std::vector<std::string> check{"/usr/bin/keyweave-check", "--strict"};
        for (const std::string& example : IniFiles("/usr/share/keyweave/Scripts")) {
            check.push_back("/usr/share/keyweave/Scripts/" + example);
        }
        SpawnOptions checkOutput;
        checkOutput.outputFile = ScratchFolder() + "/installed-check.log";
        EXPECT_EQ(RunToEnd(check, checkOutput, 30s), 0) << "see " << checkOutput.outputFile;

        ExpectInstalledProgramAtHome("/usr", ScratchFolder() + "/package-home");

        package.removed = AptGet({"remove", "keyweave"}, log);
        EXPECT_TRUE(package.removed) << "see " << log;
    }
    EXPECT_FALSE(fs::exists("/usr/bin/keyweave"));
    EXPECT_FALSE(fs::exists("/usr/share/keyweave"));
}

} // namespace
} // namespace keyweave::x11test
