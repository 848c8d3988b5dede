#pragma once

#include "platform/sim/sim_platform.h"
#include "runtime/events/hooks.h"
#include "runtime/runtime.h"
#include "runtime/system/system.h"

#include <functional>
#include <gtest/gtest.h>

namespace keyweave {

// A fresh runtime on a fresh simulated platform for every test.
class RuntimeTest : public ::testing::Test {
protected:
    explicit RuntimeTest(ScreenSize desktop = {1920, 1080}) : sim(desktop) { StartRuntime(sim); }

    // Whether `wait`, called from inside the message pump, raises a RuntimeError: a wait there
    // would block the very pump that has to end it.
    static bool RaisesInsideThePump(const std::function<void()>& wait) {
        bool raised = false;
        PostMainThreadCall([&] {
            try {
                wait();
            } catch (const RuntimeError&) {
                raised = true;
            }
        });
        PumpMessages();
        return raised;
    }

    sim::SimPlatform sim;
};

} // namespace keyweave
