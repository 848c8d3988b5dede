#pragma once

#include <algorithm>
#include <optional>
#include <utility>

namespace keyweave {

// When the main loop's turn began to send injected input, on the platform's `Clock` (any type
// with a static now()). The loop's pause counts from then, so that a turn that sends input
// lasts as long as one that does not, however long the sending itself took.
//
// Where the platform says when a wait's tick began a turn (TurnBegan), a first sending within
// the reach given at construction counts from that beginning instead: the commands that follow
// a wait then keep the script's time, rather than each falling behind by the time that its turn
// takes to reach it (under Wine a tenth of a millisecond, over every position of a path).
template <typename Clock> class SendingClock {
public:
    using Time = decltype(Clock::now());
    using Duration = decltype(Clock::now() - Clock::now());

    SendingClock() = default;
    explicit SendingClock(Duration turnStartReach) : turnStartReach_(turnStartReach) {}

    // The loop's turn began at `now`, on a wait's tick when `onTick`.
    void TurnBegan(Time now, bool onTick) {
        tickTurnBegan_ = onTick ? std::optional(now) : std::nullopt;
    }

    void Sending() {
        if (!first_) {
            first_ = Clock::now();
        }
    }

    // When the first input was sent since the last take; none when nothing was sent.
    std::optional<Time> TakeFirstSending() { return std::exchange(first_, std::nullopt); }

    // When a pause of `pause` that begins at `now` ends: `pause` after the turn's first
    // sending, taken here, or after the tick that began the turn when that sending came early
    // in it, but never before `now`.
    template <typename PauseDuration> Time TakePauseEnd(Time now, PauseDuration pause) {
        return std::max(PauseStart(now), now - pause) + pause;
    }

private:
    Time PauseStart(Time now) {
        const std::optional<Time> first = TakeFirstSending();
        if (!first) {
            return now;
        }
        if (tickTurnBegan_ && *first - *tickTurnBegan_ <= turnStartReach_) {
            return *tickTurnBegan_;
        }
        return *first;
    }

    Duration turnStartReach_{};
    std::optional<Time> tickTurnBegan_;
    std::optional<Time> first_;
};

} // namespace keyweave
