#pragma once

#include "platform/sim/sim_platform.h"
#include "runtime/runtime.h"

#include <gtest/gtest.h>

namespace keyweave {

// A fresh runtime on a fresh simulated platform for every test.
class RuntimeTest : public ::testing::Test {
protected:
    explicit RuntimeTest(ScreenSize desktop = {1920, 1080}) : sim(desktop) { StartRuntime(sim); }

    sim::SimPlatform sim;
};

} // namespace keyweave
