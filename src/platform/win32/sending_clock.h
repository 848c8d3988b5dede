#pragma once

#include "platform/win32/performance_clock.h"

#include <optional>
#include <utility>

namespace keyweave::win32 {

// When the main loop's turn began to send injected input: the loop's pause counts from then,
// so that a turn that sends input lasts as long as one that does not, as the X11 layer's
// pause counts from its first injection. Under Wine, an absolute mouse_event takes about
// 0.3 ms (Wine moves the X pointer), and a recording's path replays one such turn per
// position.
class SendingClock {
public:
    void Sending() {
        if (!first_) {
            first_ = NowMs();
        }
    }

    // When the first input was sent since the last take; none when nothing was sent.
    std::optional<double> TakeFirstSending() { return std::exchange(first_, std::nullopt); }

private:
    std::optional<double> first_;
};

} // namespace keyweave::win32
