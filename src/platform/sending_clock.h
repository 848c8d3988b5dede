#pragma once

#include <algorithm>
#include <optional>
#include <utility>

namespace keyweave {

// When the main loop's turn began to send injected input, on the platform's `Clock` (any type
// with a static now()). The loop's pause counts from then, so that a turn that sends input
// lasts as long as one that does not, however long the sending itself took.
template <typename Clock> class SendingClock {
public:
    using Time = decltype(Clock::now());

    void Sending() {
        if (!first_) {
            first_ = Clock::now();
        }
    }

    // When the first input was sent since the last take; none when nothing was sent.
    std::optional<Time> TakeFirstSending() { return std::exchange(first_, std::nullopt); }

    // When a pause of `pause` that begins at `now` ends: `pause` after the turn's first
    // sending, taken here, but never before `now`.
    template <typename Duration> Time TakePauseEnd(Time now, Duration pause) {
        return std::max(TakeFirstSending().value_or(now), now - pause) + pause;
    }

private:
    std::optional<Time> first_;
};

} // namespace keyweave
