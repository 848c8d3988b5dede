#pragma once

#include <gtest/gtest.h>
#include <iostream>
#include <map>
#include <string>
#include <vector>

namespace keyweave::testing {

// Every way of ending a run, and whether what the script held was all up afterwards (`what`
// says which); printed as a table after the last test.
class EndingMatrix : public ::testing::Environment {
public:
    explicit EndingMatrix(std::vector<std::string> ways,
                          std::string what = "everything the script pressed released")
        : ways_(std::move(ways)), what_(std::move(what)) {}

    static void Record(const std::string& way, bool released) { results()[way] = released; }

    void TearDown() override {
        std::cout << "[ matrix   ] way of ending -> " << what_ << "\n";
        for (const std::string& way : ways_) {
            auto found = results().find(way);
            const char* answer =
                found == results().end() ? "not reached" : (found->second ? "yes" : "NO");
            std::cout << "[ matrix   ]   " << way << " -> " << answer << "\n";
        }
    }

private:
    static std::map<std::string, bool>& results() {
        static std::map<std::string, bool> recorded;
        return recorded;
    }

    std::vector<std::string> ways_;
    std::string what_;
};

} // namespace keyweave::testing
