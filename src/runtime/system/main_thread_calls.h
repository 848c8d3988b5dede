#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>

namespace keyweave {

// Work handed to the main thread: any thread posts, the main thread runs the calls in
// posting order. Posting takes no lock (it only links the call in), since the core has
// none to offer on every system; a platform adds only how it wakes its main thread.
//
// It also keeps count of the calls posted since the previous pause of the main loop ended,
// so that a pause can end as soon as a new one (a timer tick) waits.
class MainThreadCallQueue {
public:
    MainThreadCallQueue() = default;
    ~MainThreadCallQueue();
    MainThreadCallQueue(const MainThreadCallQueue&) = delete;
    MainThreadCallQueue& operator=(const MainThreadCallQueue&) = delete;

    // Any thread.
    void Post(std::function<void()> call);

    // The rest: main thread only.
    bool Pending() const;
    int PendingCount() const;

    // Runs the calls that were posted before it started, in order; calls they post wait for
    // the next run. A run started from inside a call returns at once, so calls never nest.
    // A call that throws does not stop the run: its exception is kept for RaiseFailure, as a
    // platform runs the calls from the system's frames, through which no exception may pass.
    void RunPending();

    // Throws the first exception kept since the previous RaiseFailure, if any; once the
    // system has returned.
    void RaiseFailure();

    // Whether a call posted since the previous PauseEnded is waiting to run. A call posted
    // before, though still waiting, no longer counts.
    bool NewCallPending() const;
    void PauseEnded();

private:
    struct Posted {
        std::function<void()> call;
        Posted* next;
    };

    // Moves the posted calls, oldest first, to the end of `waiting_`.
    void TakePosted();
    void RunGuarded(std::function<void()>& call);

    std::atomic<Posted*> posted_{nullptr}; // newest first
    std::atomic<std::uint64_t> postCount_{0};
    std::uint64_t seenCount_ = 0;
    std::deque<std::function<void()>> waiting_;
    bool running_ = false;
    std::exception_ptr failure_;
};

} // namespace keyweave
