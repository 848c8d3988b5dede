#include "platform/gtk/glib_system_driver.h"

#include "platform/gtk/message_box.h"
#include "platform/gtk/timer_slack.h"
#include "platform/gtk/timer_thread.h"
#include "platform/platform_input.h"
#include "runtime/strings.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <glib-unix.h>
#include <glib.h>

namespace keyweave::gtk {
namespace {

// One pump runs at most this many main-context iterations, so that a source that is always
// ready cannot keep it from returning.
constexpr int kMaxIterationsPerPoll = 1000;

// Runs the main-thread calls; a posted call makes its descriptor readable, which wakes any
// poll of the context.
struct CallSource {
    GSource base;
    CallWake* calls;
    gpointer tag;
};

gboolean OnEndSignal(gpointer) {
    InputCloseRequest();
    return G_SOURCE_CONTINUE;
}

gboolean PrepareCalls(GSource* source, gint* timeout) {
    *timeout = -1;
    return reinterpret_cast<CallSource*>(source)->calls->Calls().Pending();
}

gboolean CheckCalls(GSource* source) {
    auto* calls = reinterpret_cast<CallSource*>(source);
    return calls->calls->Calls().Pending() ||
           (g_source_query_unix_fd(source, calls->tag) & G_IO_IN) != 0;
}

gboolean DispatchCalls(GSource* source, GSourceFunc, gpointer) {
    CallWake& calls = *reinterpret_cast<CallSource*>(source)->calls;
    calls.Acknowledge();
    calls.Calls().RunPending();
    return G_SOURCE_CONTINUE;
}

GSourceFuncs kCallSourceFuncs = {PrepareCalls, CheckCalls, DispatchCalls,
                                 nullptr,      nullptr,    nullptr};

} // namespace

GlibSystemDriver::GlibSystemDriver(std::function<void()> beforeExit, LoopInput* input,
                                   TurnClock& turn, TickSchedule& ticks,
                                   std::u16string startupNotice)
    : beforeExit_(std::move(beforeExit)), input_(input), pause_(*this, turn, ticks, calls_.Calls()),
      watch_(calls_.Fd(), input != nullptr ? input->Fd() : -1),
      startupNotice_(std::move(startupNotice)) {
    KeepTimersExact();
    source_ = g_source_new(&kCallSourceFuncs, sizeof(CallSource));
    auto* callSource = reinterpret_cast<CallSource*>(source_);
    callSource->calls = &calls_;
    callSource->tag = g_source_add_unix_fd(source_, calls_.Fd(), G_IO_IN);
    g_source_set_name(source_, "keyweave main-thread calls");
    g_source_attach(source_, nullptr);
}

GlibSystemDriver::~GlibSystemDriver() {
    g_source_destroy(source_);
    g_source_unref(source_);
}

void GlibSystemDriver::SendInput() {
    if (input_ != nullptr) {
        input_->Flush();
    }
}

// After a pause that watched the context and saw nothing arrive for it, the context has
// nothing to dispatch: what the pause saw arrive on the input connection is drained and the
// pending calls (a timer's tick) run without it.
void GlibSystemDriver::Poll() {
    SendInput();
    if (watch_.TakeInputReadable()) {
        input_->Drain();
    }
    if (!watch_.TakeQuiet()) {
        for (int i = 0; i < kMaxIterationsPerPoll && g_main_context_iteration(nullptr, FALSE);
             ++i) {
        }
        watch_.Ran();
    } else if (calls_.Calls().Pending()) {
        calls_.Acknowledge();
        calls_.Calls().RunPending();
    }
    calls_.Calls().RaiseFailure();
}

void GlibSystemDriver::Wait() {
    SendInput();
    g_main_context_iteration(nullptr, TRUE);
    watch_.Ran();
    Poll();
}

void GlibSystemDriver::PostMainThreadCall(std::function<void()> call) {
    calls_.Post(std::move(call));
}

void GlibSystemDriver::Sleep(int ms) {
    pause_.Sleep(std::chrono::milliseconds(ms));
}

void GlibSystemDriver::SleepUntilChange(int ms) {
    pause_.SleepUntilChange(std::chrono::milliseconds(ms));
}

// The pause of a playing turn also watches the main context, for the pump after it.
void GlibSystemDriver::WaitUntil(LoopTime until, bool) {
    if (watch_.WaitUntil(until)) {
        calls_.Acknowledge();
    }
}

// Key changes that the last poll left for the next (a key counted only for its press is up
// already, say) announce themselves by no event: the next turn's poll must see them. Without key
// events, only the turn's poll sees a key change at all.
LoopWaits::Idle GlibSystemDriver::IdleWait() {
    if (input_ == nullptr || !input_->ReportsKeyChanges()) {
        return Idle::PauseAsSleep;
    }
    const bool ready = watch_.Prepare() || calls_.Calls().Pending() || input_->EventsWaiting() ||
                       input_->ChangesWaiting();
    if (ready) {
        watch_.Check();
        return Idle::PauseAsSleep;
    }
    return Idle::WaitForAChange;
}

// The poll also ends at the next tick's deadline, as exactly as the playing pause's wait,
// and the pause then fires the tick itself.
void GlibSystemDriver::WaitForChange(std::optional<LoopTime> until) {
    watch_.PollAndCheck(until);
}

void GlibSystemDriver::Notify(const std::u16string& title, const std::u16string& text,
                              bool serious) {
    SendInput();
    ShowMessageBox(ToUtf8(title), ToUtf8(text), serious);
    watch_.Ran();
    calls_.Calls().RaiseFailure();
}

void GlibSystemDriver::ExitProcess(int status) {
    if (beforeExit_) {
        beforeExit_();
    }
    std::exit(status);
}

void EndOnTerminationSignals() {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        g_unix_signal_add(signal, OnEndSignal, nullptr);
    }
}

} // namespace keyweave::gtk
