#include "platform/loop/turn_clock.h"

#include <algorithm>
#include <utility>

namespace keyweave {

void TurnClock::TurnBegan(bool onTick) {
    began_ = Now();
    beganOnTick_ = onTick;
}

void TurnClock::Sending() {
    if (!firstSending_) {
        firstSending_ = Now();
    }
}

std::optional<LoopTime> TurnClock::TakeFirstSending() {
    return std::exchange(firstSending_, std::nullopt);
}

bool TurnClock::WithinReach(LoopTime moment) const {
    return began_ && moment - *began_ <= kTurnStartReach;
}

LoopTime TurnClock::TimerStart() const {
    const LoopTime now = Now();
    return WithinReach(now) ? *began_ : now;
}

LoopTime TurnClock::TakePauseEnd(LoopDuration pause) {
    const LoopTime now = Now();
    LoopTime start = now;
    if (const std::optional<LoopTime> first = TakeFirstSending()) {
        start = beganOnTick_ && WithinReach(*first) ? *began_ : *first;
    }
    return std::max(start, now - pause) + pause;
}

} // namespace keyweave
