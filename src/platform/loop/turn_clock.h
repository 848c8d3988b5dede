#pragma once

#include "platform/loop/loop_time.h"

#include <functional>
#include <optional>

namespace keyweave {

// When the main loop's turn began, whether a wait's tick began it, and when it first sent
// input, on the platform's clock; and the rules that keep a script's time from them:
// - a turn that sends input pauses from its first sending rather than from the pause's own
//   start, so that a turn lasts as long whether sending took time or not;
// - what starts within kTurnStartReach of the turn's beginning counts from that beginning: a
//   timer started there counts its period from it, and a turn that a tick began pauses from
//   it when its first sending came that early. Reaching the command that starts a wait, or the
//   command after one, takes the turn's pump and poll first (a tenth of a millisecond under
//   Wine, less on X11); without the rule every wait and every command after one would fall
//   behind the script by that much, over every position of a replayed cursor path.
class TurnClock {
public:
    static constexpr LoopDuration kTurnStartReach = std::chrono::milliseconds(1);

    explicit TurnClock(std::function<LoopTime()> now) : now_(std::move(now)) {}

    LoopTime Now() const { return now_(); }

    // The turn begins now, on a wait's tick when `onTick`.
    void TurnBegan(bool onTick);

    // The turn sends input now; its first sending counts.
    void Sending();

    // When the first input was sent since the last take; none when nothing was sent.
    std::optional<LoopTime> TakeFirstSending();

    // When a timer started now counts its period from.
    LoopTime TimerStart() const;

    // When a pause of `pause` that begins now ends: `pause` after the turn's first sending,
    // taken here, or after the tick that began the turn when that sending came early in it,
    // but never before now.
    LoopTime TakePauseEnd(LoopDuration pause);

private:
    bool WithinReach(LoopTime moment) const;

    std::function<LoopTime()> now_;
    std::optional<LoopTime> began_;
    bool beganOnTick_ = false;
    std::optional<LoopTime> firstSending_;
};

} // namespace keyweave
