#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>

namespace keyweave::x11 {

// Work handed to the main thread: any thread posts, the main thread runs the calls in posting
// order.
class CallQueue {
public:
    void Post(std::function<void()> call);
    bool Pending() const;

    // Runs the calls that were posted before it started, in order; calls they post wait for
    // the next run. A run started from inside a call returns at once, so calls never nest.
    // A call that throws does not stop the run: its exception is kept for RaiseFailure, since
    // the run itself is called back from GLib's C frames, through which no exception may pass.
    void RunPending();

    // Throws the first exception kept since the previous RaiseFailure, if any. Main thread
    // only, once the main context has returned.
    void RaiseFailure();

    // Blocks until a call posted since the previous WaitForNewCall returned is pending, or
    // until `deadline`; true when such a call is pending. Main thread only.
    bool WaitForNewCall(std::chrono::steady_clock::time_point deadline);

private:
    bool NewCallPending() const;
    void RunGuarded(std::function<void()>& call);

    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> calls_;
    std::uint64_t postCount_ = 0;
    std::uint64_t seenCount_ = 0;
    bool running_ = false;       // main thread only
    std::exception_ptr failure_; // main thread only
};

} // namespace keyweave::x11
