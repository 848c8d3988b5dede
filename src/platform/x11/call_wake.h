#pragma once

#include "runtime/system/main_thread_calls.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

namespace keyweave::x11 {

// The core's main-thread calls, posted under a lock on which the main thread's pause waits,
// so that a call posted from the timer thread ends a waiting pause at once.
class CallWake {
public:
    // Any thread.
    void Post(std::function<void()> call);

    // Blocks until a call posted since the previous pause ended is pending, or until
    // `deadline`; true when such a call is pending. Main thread only.
    bool WaitForNewCall(std::chrono::steady_clock::time_point deadline);

    // The calls, to run and to look at on the main thread.
    MainThreadCallQueue& Calls() { return calls_; }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    MainThreadCallQueue calls_;
};

} // namespace keyweave::x11
