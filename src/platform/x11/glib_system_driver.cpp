#include "platform/x11/glib_system_driver.h"

#include "platform/x11/message_box.h"
#include "platform/x11/timer_slack.h"
#include "runtime/strings.h"

#include <chrono>
#include <cstdlib>
#include <glib.h>
#include <vector>

namespace keyweave::x11 {
namespace {

// One pump runs at most this many main-context iterations, so that a source that is always
// ready cannot keep it from returning.
constexpr int kMaxIterationsPerPoll = 1000;

struct CallSource {
    GSource base;
    MainThreadCallQueue* queue;
};

gboolean PrepareCalls(GSource* source, gint* timeout) {
    *timeout = -1;
    return reinterpret_cast<CallSource*>(source)->queue->Pending();
}

gboolean CheckCalls(GSource* source) {
    return reinterpret_cast<CallSource*>(source)->queue->Pending();
}

gboolean DispatchCalls(GSource* source, GSourceFunc, gpointer) {
    reinterpret_cast<CallSource*>(source)->queue->RunPending();
    return G_SOURCE_CONTINUE;
}

GSourceFuncs kCallSourceFuncs = {PrepareCalls, CheckCalls, DispatchCalls,
                                 nullptr,      nullptr,    nullptr};

} // namespace

GlibSystemDriver::GlibSystemDriver(std::function<void()> beforeExit, InputConnection* input,
                                   TimerThread* timers, std::u16string startupNotice)
    : beforeExit_(std::move(beforeExit)), input_(input), timers_(timers),
      startupNotice_(std::move(startupNotice)) {
    KeepTimersExact();
    source_ = g_source_new(&kCallSourceFuncs, sizeof(CallSource));
    reinterpret_cast<CallSource*>(source_)->queue = &calls_.Calls();
    g_source_set_name(source_, "keyweave main-thread calls");
    g_source_attach(source_, nullptr);
}

GlibSystemDriver::~GlibSystemDriver() {
    g_source_destroy(source_);
    g_source_unref(source_);
}

void GlibSystemDriver::SendInjectedInput() {
    if (input_ != nullptr) {
        input_->Flush();
    }
}

void GlibSystemDriver::Poll() {
    SendInjectedInput();
    for (int i = 0; i < kMaxIterationsPerPoll && g_main_context_iteration(nullptr, FALSE); ++i) {
    }
    calls_.Calls().RaiseFailure();
}

void GlibSystemDriver::Wait() {
    SendInjectedInput();
    g_main_context_iteration(nullptr, TRUE);
    Poll();
}

void GlibSystemDriver::PostMainThreadCall(std::function<void()> call) {
    calls_.Post(std::move(call));
    g_main_context_wakeup(nullptr);
}

// A turn that injected input pauses from its first injection, at most the whole pause earlier
// (SendingClock::TakePauseEnd).
void GlibSystemDriver::Sleep(int ms) {
    const auto now = std::chrono::steady_clock::now();
    const auto pause = std::chrono::milliseconds(ms);
    const auto end =
        input_ != nullptr ? input_->Injections().TakePauseEnd(now, pause) : now + pause;
    SendInjectedInput();
    if (ms <= 0) {
        return;
    }
    for (;;) {
        const auto tick = timers_ != nullptr ? timers_->EarliestDeadline() : std::nullopt;
        const auto wake = tick && *tick < end ? *tick : end;
        if (calls_.WaitForNewCall(wake) || std::chrono::steady_clock::now() >= end) {
            return;
        }
        // Awake at the tick's deadline anyway: firing it here, rather than waiting to be woken
        // by the timer thread, leaves one wake-up fewer between the deadline and the next
        // command. Its posted call ends the pause on the next round.
        timers_->FireDue();
    }
}

void GlibSystemDriver::SleepUntilChange(int ms) {
    SendInjectedInput();
    GMainContext* context = g_main_context_default();
    // Without key events, only the turn's poll sees a key change.
    if (input_ == nullptr || !input_->ReportsKeyChanges() || !g_main_context_acquire(context)) {
        Sleep(ms);
        return;
    }
    gint priority = 0;
    // A key that the last poll counted only for its press is up already: the next turn's poll
    // must see the release, which no event will announce.
    const bool ready = g_main_context_prepare(context, &priority) || calls_.Calls().Pending() ||
                       input_->EventsWaiting() || input_->ReleaseUnseen();
    gint timeout = -1;
    std::vector<GPollFD> fds(16);
    gint count = 0;
    while ((count = g_main_context_query(context, priority, &timeout, fds.data(),
                                         static_cast<gint>(fds.size()))) >
           static_cast<gint>(fds.size())) {
        fds.resize(static_cast<std::size_t>(count));
    }
    if (!ready) {
        input_->Injections().TakeFirstSending();
        g_poll(fds.data(), static_cast<guint>(count), timeout);
    }
    g_main_context_check(context, priority, fds.data(), count);
    g_main_context_release(context);
    if (ready) {
        Sleep(ms);
    }
}

void GlibSystemDriver::Notify(const std::u16string& title, const std::u16string& text,
                              bool serious) {
    SendInjectedInput();
    ShowMessageBox(ToUtf8(title), ToUtf8(text), serious);
    calls_.Calls().RaiseFailure();
}

void GlibSystemDriver::ExitProcess(int status) {
    if (beforeExit_) {
        beforeExit_();
    }
    std::exit(status);
}

} // namespace keyweave::x11
