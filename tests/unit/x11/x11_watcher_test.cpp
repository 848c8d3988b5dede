#include "platform/x11/x11_watcher.h"

#include <gtest/gtest.h>

namespace keyweave::x11 {
namespace {

// The rest of the watcher is proven on a real X server (tests/x11).
TEST(ServerClock, GoesOnPastTheWrapAndNeverBack) {
    ServerClock clock;
    EXPECT_EQ(clock.Extend(0xFFFFFFF0u), 4294967280.0);
    EXPECT_EQ(clock.Extend(0x10u), 4294967312.0);
    EXPECT_EQ(clock.Extend(0x08u), 4294967312.0);
    EXPECT_EQ(clock.Extend(0x11u), 4294967313.0);
}

} // namespace
} // namespace keyweave::x11
