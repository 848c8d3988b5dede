#pragma once

#include "platform/loop/loop_pause.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_platform.h"
#include "platform/system_driver.h"
#include "runtime/system/main_thread_calls.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace keyweave::sim {

// The main thread's work queue on virtual time, the message boxes and the end of the process.
// The loop's pause waits by moving the clock on.
class SimSystemDriver final : public SystemDriver, private LoopWaits {
public:
    SimSystemDriver(SimClock& clock, TurnClock& turn, TickSchedule& ticks)
        : clock_(clock), pause_(*this, turn, ticks, calls_) {}

    // Runs pending main-thread calls in posting order until none is left, those posted while
    // running included. A call that keeps posting calls is cut off after kMaxRunsPerPoll runs
    // of the queue.
    void Poll() override;

    // With nothing pending, the clock moves on to the next timer deadline first. Throws
    // std::logic_error when no timer runs: a real Wait would block forever.
    void Wait() override;

    void PostMainThreadCall(std::function<void()> call) override;

    // The loop's pause on virtual time: the clock moves on by `ms`, but stops at the first
    // timer deadline whose tick posts a main-thread call, or does not move at all when a call
    // posted since the previous pause is still pending.
    void Sleep(int ms) override;

    // Counted, then a plain Sleep: the simulated loop keeps its 2 ms turns.
    void SleepUntilChange(int ms) override;
    void SleepUntilTickOrChange(int ms) override { SleepUntilChange(ms); }

    // Records the box, lets the handler see it, then lets the modal time pass, running
    // main-thread calls as a modal loop does.
    void Notify(const std::u16string& title, const std::u16string& text, bool serious) override;

    // Throws ProcessExit.
    [[noreturn]] void ExitProcess(int status) override;

    int PendingCalls() const { return calls_.PendingCount(); }
    int PausesUntilChange() const { return pausesUntilChange_; }
    const std::vector<MessageBoxRecord>& MessageBoxes() const { return boxes_; }
    void SetMessageBoxHandler(std::function<void(const MessageBoxRecord&)> handler);
    void SetMessageBoxDuration(std::int64_t modalMs);

    static constexpr int kMaxRunsPerPoll = 10000;

private:
    void WaitUntil(LoopTime until, bool forTick) override;
    Idle IdleWait() override { return Idle::PauseAsSleep; }
    void WaitForChange(std::optional<LoopTime> until) override;

    SimClock& clock_;
    MainThreadCallQueue calls_;
    LoopPause pause_;
    int pausesUntilChange_ = 0;
    std::vector<MessageBoxRecord> boxes_;
    std::function<void(const MessageBoxRecord&)> boxHandler_;
    std::int64_t modalMs_ = 0;
};

} // namespace keyweave::sim
