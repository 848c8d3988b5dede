#pragma once

#include "platform/loop/loop_pause.h"
#include "platform/system_driver.h"
#include "platform/x11/call_wake.h"
#include "platform/x11/input_connection.h"

#include <functional>
#include <string>
#include <vector>

typedef struct _GSource GSource;
typedef struct _GPollFD GPollFD;

namespace keyweave::x11 {

// The system driver on GLib's default main context, which GTK and its modal dialogs run:
// main-thread calls are a source of that context, so they also run inside a dialog's loop.
// An exception thrown by a call is raised again by Poll, Wait or Notify once the context has
// returned, and later calls and ticks still run. The loop's pause waits on the calls'
// condition variable, and while nothing plays on the main context's descriptors.
class GlibSystemDriver final : public SystemDriver, private LoopWaits {
public:
    // `beforeExit` runs first when the process ends through ExitProcess. The pause until a
    // change also ends on events of `input`, whose descriptor must be a source of the default
    // main context. Input injected on `input` is sent whenever the main thread pumps, pauses
    // or shows a message box. The pause keeps the time of `turn` and fires the ticks of
    // `ticks`. StartupNotice gives `startupNotice`.
    GlibSystemDriver(std::function<void()> beforeExit, InputConnection* input, TurnClock& turn,
                     TickSchedule& ticks, std::u16string startupNotice = u"");
    ~GlibSystemDriver() override;
    GlibSystemDriver(const GlibSystemDriver&) = delete;
    GlibSystemDriver& operator=(const GlibSystemDriver&) = delete;

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
    std::u16string StartupNotice() override { return startupNotice_; }
    void Notify(const std::u16string& title, const std::u16string& text, bool serious) override;
    [[noreturn]] void ExitProcess(int status) override;

private:
    void SendInput() override;
    void WaitUntil(LoopTime until, bool forTick) override;
    Idle IdleWait() override;
    void WaitForChange(std::optional<LoopTime> until) override;

    CallWake calls_;
    GSource* source_ = nullptr;
    std::function<void()> beforeExit_;
    InputConnection* input_;
    LoopPause pause_;
    std::u16string startupNotice_;
    // The main context's descriptors, acquired and queried by IdleWait for WaitForChange.
    std::vector<GPollFD> fds_;
    int fdCount_ = 0;
    int priority_ = 0;
    int timeoutMs_ = -1;
};

} // namespace keyweave::x11
