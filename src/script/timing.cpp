#include "script/timing.h"

#include "platform/timer_source.h"
#include "runtime/timers/timer.h"

#include <algorithm>
#include <limits>

namespace keyweave {

float WaitHertz(std::int32_t ms) {
    return 1000.0f / static_cast<float>(ms);
}

std::int64_t WaitPeriodMs(std::int32_t ms) {
    if (ms <= 0) {
        return 0;
    }
    const std::uint32_t period = TimerPeriodMs(WaitHertz(ms));
    return period <= kMaxTimerPeriodMs ? period : 0;
}

// A period falls short of its value by one millisecond at most, so only `ms` and `ms` + 1 can
// wait `ms`.
std::int32_t SleepLasting(std::int64_t ms) {
    if (ms <= 0 || ms >= std::numeric_limits<std::int32_t>::max()) {
        return 0;
    }
    const auto value = static_cast<std::int32_t>(ms);
    if (WaitPeriodMs(value) == ms) {
        return value;
    }
    return WaitPeriodMs(value + 1) == ms ? value + 1 : 0;
}

// Where no value waits a piece, the value `piece` waits one millisecond less, and a SLEEP of 1
// waits the millisecond that is left.
std::vector<std::int32_t> SleepsLasting(std::int64_t ms) {
    std::vector<std::int32_t> values;
    while (ms > 0) {
        const std::int64_t piece = std::min<std::int64_t>(ms, kMaxTimerPeriodMs);
        if (const std::int32_t value = SleepLasting(piece)) {
            values.push_back(value);
        } else {
            values.push_back(SleepLasting(piece - 1));
            values.push_back(SleepLasting(1));
        }
        ms -= piece;
    }
    return values;
}

} // namespace keyweave
