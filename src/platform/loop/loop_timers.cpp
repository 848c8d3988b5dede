#include "platform/loop/loop_timers.h"

namespace keyweave {

std::uint32_t LoopTimers::StartPeriodic(std::uint32_t periodMs, TickCallback onTick,
                                        std::uintptr_t user) {
    if (periodMs == 0 || periodMs > kMaxTimerPeriodMs || onTick == nullptr) {
        return 0;
    }
    const LoopDuration period = std::chrono::milliseconds(periodMs);
    const std::uint32_t id = ticks_.Start(period, turn_.TimerStart(), onTick, user);
    if (listener_ != nullptr && !listener_->Started(id, period)) {
        ticks_.Kill(id);
        return 0;
    }
    return id;
}

void LoopTimers::Kill(std::uint32_t id) {
    ticks_.Kill(id);
    if (listener_ != nullptr) {
        listener_->Killed(id);
    }
}

} // namespace keyweave
