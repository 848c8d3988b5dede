#pragma once

#include "app/program_state.h"
#include "checker.h"
#include "platform/sim/sim_platform.h"
#include "runtime/strings.h"
#include "runtime/system/system.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <future>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace keyweave::testing {

// A script with a comment, a quoted name, mixed case, CR LF line ends, blanks in a keystring
// and an unknown keyword.
inline const std::string kWorkedExample = "\\\\ test macro\r\n"
                                          "\r\n"
                                          "?KWEAVER\r\n"
                                          "{'Jump and type'\r\n"
                                          "KeyStroke( key_space , 50 )\r\n"
                                          "sleep(1000)\r\n"
                                          "keystring(AB 1, 10)\r\n"
                                          "mouseloc(400, 300)\r\n"
                                          "mousestroke(MOUSE_LEFT,20)\r\n"
                                          "press(KEY_A)\r\n"
                                          "pause()\r\n";

// What one run of keyweave-check gave.
struct CheckRun {
    int status = -1;
    std::string out;
    std::string err;

    std::vector<std::string> ErrLines() const {
        std::vector<std::string> lines;
        std::istringstream stream(err);
        for (std::string line; std::getline(stream, line);) {
            lines.push_back(line);
        }
        return lines;
    }
};

// The standard output of a dry run, which notes, as each line ends, the simulated clock and
// the length of the simulated platform's action log, and the clock at the first flush.
class WatchedOutput : public std::streambuf {
public:
    std::string text;
    std::int64_t firstLineAtMs = -1;
    std::int64_t firstFlushAtMs = -1;
    std::size_t longestLog = 0;

protected:
    int_type overflow(int_type c) override {
        text += static_cast<char>(c);
        if (c == '\n') {
            const auto& platform = dynamic_cast<const sim::SimPlatform&>(CurrentPlatform());
            firstLineAtMs = firstLineAtMs < 0 ? platform.Now() : firstLineAtMs;
            longestLog = std::max(longestLog, platform.Log().size());
        }
        return c;
    }

    int sync() override {
        if (firstFlushAtMs < 0 && !text.empty()) {
            firstFlushAtMs = dynamic_cast<const sim::SimPlatform&>(CurrentPlatform()).Now();
        }
        return 0;
    }
};

// Script files in a fresh temporary folder, checked as the command line checks them; the
// program's state is fresh again after each test.
class CheckerTest : public ::testing::Test {
protected:
    CheckerTest() : folder_("keyweave-check") {}

    void TearDown() override { ResetProgramState(); }

    // Writes the bytes to a file of the folder and returns its path as the command line
    // gives it: UTF-8, with the system's separators.
    std::string Write(const std::u16string& name, const std::string& bytes) const {
        folder_.Write(name, bytes);
        return Path(name);
    }

    std::string Path(const std::u16string& name) const { return ToUtf8(folder_.Text(name)); }

    static CheckRun Run(const std::vector<std::string>& args) {
        std::ostringstream out;
        std::ostringstream err;
        CheckRun run;
        run.status = check::RunCheck(args, out, err);
        run.out = out.str();
        run.err = err.str();
        return run;
    }

#ifndef _WIN32
    // Runs the check in a thread of its own. A check that opens `fifo` for reading waits there
    // for a writer: after a few seconds, writers open and close it until the check ends, and
    // `blocked` tells that they had to.
    static CheckRun RunBesideFifo(const std::vector<std::string>& args, const std::string& fifo,
                                  bool& blocked) {
        std::future<CheckRun> run = std::async(std::launch::async, [&args] { return Run(args); });
        blocked = run.wait_for(std::chrono::seconds(5)) != std::future_status::ready;
        while (run.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
            if (const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK); writer >= 0) {
                close(writer);
            }
        }
        return run.get();
    }
#endif

private:
    TempFolder folder_;
};

} // namespace keyweave::testing
