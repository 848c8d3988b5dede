#include "platform/x11/call_queue.h"

#include <utility>

namespace keyweave::x11 {

void CallQueue::Post(std::function<void()> call) {
    {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
        ++postCount_;
    }
    posted_.notify_one();
}

bool CallQueue::Pending() const {
    std::lock_guard lock(mutex_);
    return !calls_.empty();
}

void CallQueue::RunPending() {
    if (running_) {
        return;
    }
    running_ = true;
    std::deque<std::function<void()>> batch;
    {
        std::lock_guard lock(mutex_);
        batch.swap(calls_);
    }
    for (auto& call : batch) {
        RunGuarded(call);
    }
    running_ = false;
}

// The first failure wins: later ones are usually its consequences.
void CallQueue::RunGuarded(std::function<void()>& call) {
    try {
        call();
    } catch (...) {
        if (failure_ == nullptr) {
            failure_ = std::current_exception();
        }
    }
}

void CallQueue::RaiseFailure() {
    if (failure_ != nullptr) {
        std::rethrow_exception(std::exchange(failure_, nullptr));
    }
}

bool CallQueue::NewCallPending() const {
    return !calls_.empty() && postCount_ != seenCount_;
}

bool CallQueue::WaitForNewCall(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    const bool woken = posted_.wait_until(lock, deadline, [this] { return NewCallPending(); });
    seenCount_ = postCount_;
    return woken;
}

} // namespace keyweave::x11
