#pragma once

#include "app/main_window.h"
#include "app/program_state.h"
#include "input/key_table.h"
#include "platform/sim/sim_platform.h"
#include "runtime/runtime.h"
#include "runtime/system/system.h"

#include <gtest/gtest.h>
#include <vector>

namespace keyweave::testing {

// A fresh runtime on a simulated 1024 x 768 desktop, a fresh program state and the key table.
class ProgramTest : public ::testing::Test {
protected:
    ProgramTest() : sim(ScreenSize{1024, 768}) {}

    void SetUp() override {
        StartRuntime(sim);
        ResetProgramState();
        FillKeyTable();
    }

    void TearDown() override { ResetProgramState(); }

    // Lets virtual time pass as the main loop does, and delivers the timer ticks.
    void Pass(int ms) {
        sim.Advance(ms);
        PumpMessages();
    }

    // The program's synthetic actions, without their times.
    std::vector<sim::InjectedAction> Actions() const {
        std::vector<sim::InjectedAction> actions = sim.Log();
        for (auto& action : actions) {
            action.timeMs = 0;
        }
        return actions;
    }

    static sim::InjectedAction Key(sim::InjectedAction::Kind kind, int code) {
        return {0, kind, code, 0, 0, false};
    }

    sim::SimPlatform sim;
};

// The same, with the main window built.
class WindowTest : public ProgramTest {
protected:
    void SetUp() override {
        ProgramTest::SetUp();
        TMainWindow::Create();
    }

    sim::SimGadget& Gadget(const GadgetRef& gadget) { return sim::AsSim(gadget); }
};

using Names16 = std::vector<std::u16string>;

// The display names of key rows, in list order.
inline Names16 Names(const KeyList& keys) {
    Names16 names;
    for (const auto& key : keys) {
        names.push_back(key->Name);
    }
    return names;
}

} // namespace keyweave::testing
