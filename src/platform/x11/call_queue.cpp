#include "platform/x11/call_queue.h"

namespace keyweave::x11 {

void CallQueue::Post(std::function<void()> call) {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(call));
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
        call();
    }
    running_ = false;
}

} // namespace keyweave::x11
