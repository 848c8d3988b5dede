#pragma once

#include "platform/loop/tick_schedule.h"
#include "platform/loop/turn_clock.h"
#include "platform/timer_source.h"

namespace keyweave {

// The timer source of every platform: periodic timers on the loop's tick schedule, each
// counting its period from where the turn's clock says it starts. A platform whose timers
// tick while the main thread is busy, from a thread of its own, hears of every start and kill.
class LoopTimers final : public TimerSource {
public:
    class Listener {
    public:
        virtual ~Listener() = default;
        // False when the platform cannot run the timer: it is then refused.
        virtual bool Started(std::uint32_t id, LoopDuration period) = 0;
        virtual void Killed(std::uint32_t id) = 0;
    };

    LoopTimers(TickSchedule& ticks, const TurnClock& turn) : ticks_(ticks), turn_(turn) {}

    void SetListener(Listener* listener) { listener_ = listener; }

    // Refuses a period of 0 or above kMaxTimerPeriodMs, and a callback that is null.
    std::uint32_t StartPeriodic(std::uint32_t periodMs, TickCallback onTick,
                                std::uintptr_t user) override;
    void Kill(std::uint32_t id) override;

private:
    TickSchedule& ticks_;
    const TurnClock& turn_;
    Listener* listener_ = nullptr;
};

} // namespace keyweave
