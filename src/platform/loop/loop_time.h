#pragma once

#include <chrono>
#include <cstdint>

namespace keyweave {

// The one time type of the main loop's timing on every platform: a point on the platform's
// monotonic clock, counted in nanoseconds from whenever that clock began. A platform reads its
// own clock into it; the simulated platform owns it outright.
struct LoopClock {
    using rep = std::int64_t;
    using period = std::nano;
    using duration = std::chrono::nanoseconds;
    using time_point = std::chrono::time_point<LoopClock>;
    static constexpr bool is_steady = true;
};

using LoopTime = LoopClock::time_point;
using LoopDuration = LoopClock::duration;

} // namespace keyweave
