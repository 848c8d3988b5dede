#pragma once

#include "platform/gtk/call_wake.h"
#include "platform/gtk/context_watch.h"
#include "platform/gtk/loop_input.h"
#include "platform/loop/loop_pause.h"
#include "platform/system_driver.h"

#include <functional>
#include <string>

typedef struct _GSource GSource;

namespace keyweave::gtk {

// The system driver on GLib's default main context, which GTK and its modal dialogs run:
// main-thread calls are a source of that context, so they also run inside a dialog's loop.
// An exception thrown by a call is raised again by Poll, Wait or Notify once the context has
// returned, and later calls and ticks still run. A posted call makes the calls' descriptor
// readable, which ends the loop's pause and wakes any poll of the context. While a script
// plays, the pause lasts its length and watches the context's descriptors meanwhile, so that
// the pump after it runs the context only when something arrived for it; while nothing plays
// it waits until one of them is readable.
class GlibSystemDriver final : public SystemDriver, private LoopWaits {
public:
    // `beforeExit` runs first when the process ends through ExitProcess. The pause until a
    // change also ends on events of `input`, whose descriptor must be a source of the default
    // main context. Input injected on `input` is sent whenever the main thread pumps, pauses
    // or shows a message box. The pause keeps the time of `turn` and fires the ticks of
    // `ticks`. StartupNotice gives `startupNotice`.
    GlibSystemDriver(std::function<void()> beforeExit, LoopInput* input, TurnClock& turn,
                     TickSchedule& ticks, std::u16string startupNotice = u"");
    ~GlibSystemDriver() override;
    GlibSystemDriver(const GlibSystemDriver&) = delete;
    GlibSystemDriver& operator=(const GlibSystemDriver&) = delete;

    // Runs the main context until nothing is pending; right after a pause that watched it and
    // saw nothing arrive, with no call pending, it returns at once.
    void Poll() override;
    void Wait() override;
    void PostMainThreadCall(std::function<void()> call) override;
    void Sleep(int ms) override;

    // Polls the descriptors of the default main context (the X connections, the main-thread
    // call wake-up, signals) until one is ready, its next timeout or the next tick, without
    // dispatching: the turn's pump does that. When something is ready already, or when key
    // changes do not arrive as events, it pauses as Sleep does, so that a source that stays
    // ready cannot make the loop spin and a polled keyboard is still polled.
    void SleepUntilChange(int ms) override;
    // Its wait for a change meets a tick to the nanosecond.
    void SleepUntilTickOrChange(int ms) override { SleepUntilChange(ms); }
    std::u16string StartupNotice() override { return startupNotice_; }
    void Notify(const std::u16string& title, const std::u16string& text, bool serious) override;
    [[noreturn]] void ExitProcess(int status) override;

private:
    void SendInput() override;
    void WaitUntil(LoopTime until, bool forTick) override;
    Idle IdleWait() override;
    void WaitForChange(std::optional<LoopTime> until) override;
    LoopDuration ChangeWaitLateness() const override { return LoopDuration::zero(); }

    CallWake calls_;
    GSource* source_ = nullptr;
    std::function<void()> beforeExit_;
    LoopInput* input_;
    LoopPause pause_;
    ContextWatch watch_;
    std::u16string startupNotice_;
};

// SIGINT, SIGTERM and SIGHUP ask the program to end from now on, as its close box does: GLib
// turns each signal into an event of the main context, so the request reaches the core on the
// main thread at its next pump, or in a message box's loop.
void EndOnTerminationSignals();

} // namespace keyweave::gtk
