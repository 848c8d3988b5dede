#pragma once

#include <cstdint>

namespace keyweave {

// Called once per period on a thread of the timer source (or, on the simulated platform, on
// the main thread); `user` is the value given to StartPeriodic.
using TickCallback = void (*)(std::uint32_t id, std::uintptr_t user);

// Periodic timers with 1 ms resolution.
class TimerSource {
public:
    virtual ~TimerSource() = default;

    // Starts a periodic timer and returns its id, never 0; returns 0 when the period is
    // refused (0, or longer than the platform accepts) or no timer can be made.
    virtual std::uint32_t StartPeriodic(std::uint32_t periodMs, TickCallback onTick,
                                        std::uintptr_t user) = 0;

    // Stops the timer with this id. Ticks already handed on may still arrive.
    virtual void Kill(std::uint32_t id) = 0;
};

// The longest period a timer source accepts, as on Windows.
inline constexpr std::uint32_t kMaxTimerPeriodMs = 1000000;

} // namespace keyweave
