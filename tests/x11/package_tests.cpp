// The Debian package as a user meets it: installed with apt-get, the installed checker run on
// the installed examples, the installed program run on a private X server with its files in
// ~/.config/keyweave, and the package removed again, whatever happened in between.

#include "program_run.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace keyweave::x11test {
namespace {

namespace fs = std::filesystem;

// Installing and removing a package changes the whole machine: test runs of other work trees
// on it wait for each other here.
class MachineLock {
public:
    explicit MachineLock(std::chrono::seconds limit)
        : fd_(open("/run/lock/keyweave-package-test.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0644)) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (fd_ >= 0 && !held_ && std::chrono::steady_clock::now() < deadline) {
            held_ = flock(fd_, LOCK_EX | LOCK_NB) == 0;
            if (!held_) {
                std::this_thread::sleep_for(200ms);
            }
        }
    }
    ~MachineLock() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    MachineLock(const MachineLock&) = delete;
    MachineLock& operator=(const MachineLock&) = delete;

    bool Held() const { return held_; }

private:
    int fd_;
    bool held_ = false;
};

// apt-get as the administrator runs it, without questions, waiting for another apt's lock at
// most as long as the step may take.
int AptGet(const std::vector<std::string>& arguments, const std::string& log,
           std::chrono::seconds limit) {
    std::vector<std::string> command{FindProgram("apt-get"), "-y", "-q", "-o",
                                     "DPkg::Lock::Timeout=" + std::to_string(limit.count() / 2)};
    command.insert(command.end(), arguments.begin(), arguments.end());
    SpawnOptions options;
    options.environment["DEBIAN_FRONTEND"] = "noninteractive";
    options.outputFile = log;
    return RunToEnd(command, options, limit);
}

// The package installed for as long as this object lives.
class Installation {
public:
    explicit Installation(const std::string& log) : log_(log) {
        installed_ = AptGet({"install", "--no-install-recommends", KEYWEAVE_DEB_FILE}, log_,
                            kStepLimit) == 0;
    }
    ~Installation() { Remove(); }
    Installation(const Installation&) = delete;
    Installation& operator=(const Installation&) = delete;

    bool Installed() const { return installed_; }

    // Removes the package, once; true when apt-get did.
    bool Remove() {
        if (removed_) {
            return true;
        }
        removed_ = AptGet({"remove", "keyweave"}, log_, kStepLimit) == 0;
        return removed_;
    }

private:
    static constexpr std::chrono::seconds kStepLimit{240};
    std::string log_;
    bool installed_ = false;
    bool removed_ = false;
};

TEST(Package, InstallsRunsAndIsRemovedAgainAsAUserWould) {
    ASSERT_TRUE(SessionProblem().empty()) << SessionProblem();
    ASSERT_TRUE(fs::exists(KEYWEAVE_DEB_FILE)) << KEYWEAVE_DEB_FILE << " is missing: make package";
    ASSERT_FALSE(FindProgram("apt-get").empty());
    MachineLock lock(600s);
    ASSERT_TRUE(lock.Held()) << "another package test kept the machine for ten minutes";
    const std::string log = ScratchFolder() + "/apt-get.log";
    {
        Installation installation(log);
        ASSERT_TRUE(installation.Installed()) << "see " << log;

        for (const char* page : {"keyweave.1.gz", "keyweave-check.1.gz"}) {
            EXPECT_TRUE(fs::exists(std::string("/usr/share/man/man1/") + page)) << page;
        }
        std::vector<std::string> check{"/usr/bin/keyweave-check", "--strict"};
        for (const std::string& example : IniFiles("/usr/share/keyweave/Scripts")) {
            check.push_back("/usr/share/keyweave/Scripts/" + example);
        }
        SpawnOptions checkOutput;
        checkOutput.outputFile = ScratchFolder() + "/installed-check.log";
        EXPECT_EQ(RunToEnd(check, checkOutput, 30s), 0) << "see " << checkOutput.outputFile;

        ExpectInstalledProgramAtHome("/usr", ScratchFolder() + "/package-home");

        EXPECT_TRUE(installation.Remove()) << "see " << log;
    }
    EXPECT_FALSE(fs::exists("/usr/bin/keyweave"));
    EXPECT_FALSE(fs::exists("/usr/share/keyweave"));
}

} // namespace
} // namespace keyweave::x11test
