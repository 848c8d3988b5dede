#pragma once

#include "runtime/system/main_thread_calls.h"

#include <functional>

namespace keyweave::gtk {

// The core's main-thread calls, and a descriptor (an eventfd) that becomes readable whenever a
// call is posted, so that a call posted from the timer thread wakes the main thread wherever it
// waits: in the loop's pause, or in a poll of GLib's main context (a message box's loop).
class CallWake {
public:
    // Throws std::runtime_error when no eventfd can be made.
    CallWake();
    ~CallWake();
    CallWake(const CallWake&) = delete;
    CallWake& operator=(const CallWake&) = delete;

    // Any thread.
    void Post(std::function<void()> call);

    // Readable from a Post until the next Acknowledge.
    int Fd() const { return fd_; }

    // Main thread: Fd() is not readable again until the next Post. Acknowledge before looking
    // at the calls, so that a call posted meanwhile makes it readable again.
    void Acknowledge();

    // The calls, to run and to look at on the main thread.
    MainThreadCallQueue& Calls() { return calls_; }

private:
    int fd_;
    MainThreadCallQueue calls_;
};

} // namespace keyweave::gtk
