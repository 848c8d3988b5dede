#pragma once

#include <deque>
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
    void RunPending();

private:
    mutable std::mutex mutex_;
    std::deque<std::function<void()>> calls_;
    bool running_ = false; // main thread only
};

} // namespace keyweave::x11
