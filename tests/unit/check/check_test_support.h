#pragma once

#include "checker.h"
#include "runtime/strings.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace keyweave::testing {

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

// Script files in a fresh temporary folder, checked as the command line checks them.
class CheckerTest : public ::testing::Test {
protected:
    CheckerTest() : folder_("keyweave-check") {}

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

private:
    TempFolder folder_;
};

} // namespace keyweave::testing
