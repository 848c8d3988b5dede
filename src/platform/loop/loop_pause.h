#pragma once

#include "platform/loop/tick_schedule.h"
#include "platform/loop/turn_clock.h"
#include "runtime/system/main_thread_calls.h"

#include <optional>

namespace keyweave {

// What the main loop's pause needs of a platform: its ways of waiting. The pause itself, the
// same on every platform, decides how long.
class LoopWaits {
public:
    virtual ~LoopWaits() = default;

    // Sends what the turn's devices keep buffered, before the loop waits.
    virtual void SendInput() {}

    // Blocks until `until`, as exactly as the platform can, or until a main-thread call is
    // posted. `forTick`: `until` is a tick's deadline, which the pause fires itself on waking.
    virtual void WaitUntil(LoopTime until, bool forTick) = 0;

    // How the pause while nothing plays, or the script waits for its timer, may wait.
    enum class Idle {
        EndNow,         // something the turn must take at once waits already
        PauseAsSleep,   // something waits, or key changes go unreported: a plain pause
        WaitForAChange, // nothing waits: WaitForChange
    };
    virtual Idle IdleWait() = 0;

    // Blocks until something that a turn reacts to arrives (a key pressed or released, a
    // platform message, a main-thread call) or until `until`, when given.
    virtual void WaitForChange(std::optional<LoopTime> until) = 0;
    // How long before a tick's deadline WaitForChange must be told to end, so that the pause
    // still meets the tick as exactly as WaitUntil does: as late as WaitForChange may wake.
    virtual LoopDuration ChangeWaitLateness() const { return std::chrono::milliseconds(2); }

    // When the platform must look again, whatever arrives: none by default.
    virtual std::optional<LoopTime> LookAgainAt() { return std::nullopt; }
};

// The main loop's pause, written once for every platform. It lasts its length, counted by the
// turn's clock, or ends as soon as a main-thread call posted since the previous pause ended
// (a timer tick) waits; a turn without a new tick pauses its full length. It wakes at each
// tick's deadline on the way and fires the tick itself, rather than waiting for a timer thread
// to wake and hand it on. While nothing plays, or the script waits for its timer, the pause
// waits instead until something that a turn reacts to arrives, or until shortly before the
// next tick, which it then meets as exactly as Sleep does.
class LoopPause {
public:
    LoopPause(LoopWaits& waits, TurnClock& turn, TickSchedule& ticks, MainThreadCallQueue& calls)
        : waits_(waits), turn_(turn), ticks_(ticks), calls_(calls) {}

    void Sleep(LoopDuration pause);
    void SleepUntilChange(LoopDuration pause);

private:
    // Waits until `end`, firing the ticks that fall due on the way, each at its deadline;
    // returns as soon as a main-thread call posted since the previous pause waits.
    void FireTicksUntil(LoopTime end);
    // The turn begins: on a tick when the pause ended for a call.
    void End();

    LoopWaits& waits_;
    TurnClock& turn_;
    TickSchedule& ticks_;
    MainThreadCallQueue& calls_;
};

} // namespace keyweave
