#include "platform/x11/glib_system_driver.h"

#include "platform/x11/message_box.h"
#include "platform/x11/timer_slack.h"
#include "platform/x11/timer_thread.h"
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
                                   TurnClock& turn, TickSchedule& ticks,
                                   std::u16string startupNotice)
    : beforeExit_(std::move(beforeExit)), input_(input), pause_(*this, turn, ticks, calls_.Calls()),
      startupNotice_(std::move(startupNotice)), fds_(16) {
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

void GlibSystemDriver::SendInput() {
    if (input_ != nullptr) {
        input_->Flush();
    }
}

void GlibSystemDriver::Poll() {
    SendInput();
    for (int i = 0; i < kMaxIterationsPerPoll && g_main_context_iteration(nullptr, FALSE); ++i) {
    }
    calls_.Calls().RaiseFailure();
}

void GlibSystemDriver::Wait() {
    SendInput();
    g_main_context_iteration(nullptr, TRUE);
    Poll();
}

void GlibSystemDriver::PostMainThreadCall(std::function<void()> call) {
    calls_.Post(std::move(call));
    g_main_context_wakeup(nullptr);
}

void GlibSystemDriver::Sleep(int ms) {
    pause_.Sleep(std::chrono::milliseconds(ms));
}

void GlibSystemDriver::SleepUntilChange(int ms) {
    pause_.SleepUntilChange(std::chrono::milliseconds(ms));
}

void GlibSystemDriver::WaitUntil(LoopTime until, bool) {
    calls_.WaitForNewCall(SteadyTime(until));
}

// A key that the last poll counted only for its press is up already: the next turn's poll must
// see the release, which no event will announce. Without key events, only the turn's poll sees
// a key change at all.
LoopWaits::Idle GlibSystemDriver::IdleWait() {
    GMainContext* context = g_main_context_default();
    if (input_ == nullptr || !input_->ReportsKeyChanges() || !g_main_context_acquire(context)) {
        return Idle::PauseAsSleep;
    }
    const bool ready = g_main_context_prepare(context, &priority_) || calls_.Calls().Pending() ||
                       input_->EventsWaiting() || input_->ReleaseUnseen();
    while ((fdCount_ = g_main_context_query(context, priority_, &timeoutMs_, fds_.data(),
                                            static_cast<gint>(fds_.size()))) >
           static_cast<gint>(fds_.size())) {
        fds_.resize(static_cast<std::size_t>(fdCount_));
    }
    if (ready) {
        g_main_context_check(context, priority_, fds_.data(), fdCount_);
        g_main_context_release(context);
        return Idle::PauseAsSleep;
    }
    return Idle::WaitForAChange;
}

// The poll also ends at the next tick's deadline, whose tick the pause then fires itself.
void GlibSystemDriver::WaitForChange(std::optional<LoopTime> until) {
    int timeout = timeoutMs_;
    if (until) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(*until - MonotonicNow());
        const int untilMs = static_cast<int>(std::max<std::int64_t>(left.count(), 0));
        timeout = timeout < 0 ? untilMs : std::min(timeout, untilMs);
    }
    GMainContext* context = g_main_context_default();
    g_poll(fds_.data(), static_cast<guint>(fdCount_), timeout);
    g_main_context_check(context, priority_, fds_.data(), fdCount_);
    g_main_context_release(context);
}

void GlibSystemDriver::Notify(const std::u16string& title, const std::u16string& text,
                              bool serious) {
    SendInput();
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
