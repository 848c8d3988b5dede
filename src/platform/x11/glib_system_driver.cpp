#include "platform/x11/glib_system_driver.h"

#include "platform/x11/message_box.h"
#include "runtime/strings.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <glib.h>

namespace keyweave::x11 {
namespace {

// One pump runs at most this many main-context iterations, so that a source that is always
// ready cannot keep it from returning.
constexpr int kMaxIterationsPerPoll = 1000;

struct CallSource {
    GSource base;
    CallQueue* queue;
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

GlibSystemDriver::GlibSystemDriver(std::function<void()> beforeExit)
    : beforeExit_(std::move(beforeExit)) {
    source_ = g_source_new(&kCallSourceFuncs, sizeof(CallSource));
    reinterpret_cast<CallSource*>(source_)->queue = &calls_;
    g_source_set_name(source_, "keyweave main-thread calls");
    g_source_attach(source_, nullptr);
}

GlibSystemDriver::~GlibSystemDriver() {
    g_source_destroy(source_);
    g_source_unref(source_);
}

void GlibSystemDriver::Poll() {
    for (int i = 0; i < kMaxIterationsPerPoll && g_main_context_iteration(nullptr, FALSE); ++i) {
    }
}

void GlibSystemDriver::Wait() {
    g_main_context_iteration(nullptr, TRUE);
    Poll();
}

void GlibSystemDriver::PostMainThreadCall(std::function<void()> call) {
    calls_.Post(std::move(call));
    g_main_context_wakeup(nullptr);
}

void GlibSystemDriver::Sleep(int ms) {
    if (ms <= 0) {
        return;
    }
    timespec deadline{};
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_sec += ms / 1000;
    deadline.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}

void GlibSystemDriver::Notify(const std::u16string& title, const std::u16string& text,
                              bool serious) {
    ShowMessageBox(ToUtf8(title), ToUtf8(text), serious);
}

void GlibSystemDriver::ExitProcess(int status) {
    if (beforeExit_) {
        beforeExit_();
    }
    std::exit(status);
}

} // namespace keyweave::x11
