#pragma once

#include "app/program_state.h"
#include "input/key_table.h"
#include "runtime/strings.h"
#include "script/command.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace keyweave::testing {

// Commands as short readable texts, "KEYDOWN 65" or "MOUSELOC 400 300", for comparisons.
inline std::vector<std::string> Described(const CommandList& commands) {
    std::vector<std::string> texts;
    for (const TCommand& command : commands) {
        std::string text = ToUtf8(command.Command());
        if (command.Value != -1 || command.Value2 != -1) {
            text += " " + std::to_string(command.Value);
        }
        if (command.Value2 != -1) {
            text += " " + std::to_string(command.Value2);
        }
        texts.push_back(text);
    }
    return texts;
}

// A fresh program state with a filled key table, which the parser and display forms need.
class KeyTableFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        FillKeyTable();
    }
};

} // namespace keyweave::testing
