#include "runtime/system/main_thread_calls.h"

#include <utility>

namespace keyweave {

MainThreadCallQueue::~MainThreadCallQueue() {
    TakePosted();
}

void MainThreadCallQueue::Post(std::function<void()> call) {
    auto* node = new Posted{std::move(call), posted_.load(std::memory_order_relaxed)};
    while (!posted_.compare_exchange_weak(node->next, node, std::memory_order_release,
                                          std::memory_order_relaxed)) {
    }
    postCount_.fetch_add(1, std::memory_order_release);
}

// The posters only ever link calls in and the main thread takes them all at once, so a node
// is never taken while a poster still looks at it.
void MainThreadCallQueue::TakePosted() {
    Posted* newest = posted_.exchange(nullptr, std::memory_order_acquire);
    Posted* oldest = nullptr;
    while (newest != nullptr) {
        Posted* next = newest->next;
        newest->next = oldest;
        oldest = newest;
        newest = next;
    }
    while (oldest != nullptr) {
        waiting_.push_back(std::move(oldest->call));
        Posted* next = oldest->next;
        delete oldest;
        oldest = next;
    }
}

bool MainThreadCallQueue::Pending() const {
    return !waiting_.empty() || posted_.load(std::memory_order_acquire) != nullptr;
}

int MainThreadCallQueue::PendingCount() const {
    int count = static_cast<int>(waiting_.size());
    for (const Posted* call = posted_.load(std::memory_order_acquire); call != nullptr;
         call = call->next) {
        ++count;
    }
    return count;
}

void MainThreadCallQueue::RunPending() {
    if (running_) {
        return;
    }
    running_ = true;
    TakePosted();
    std::deque<std::function<void()>> batch;
    batch.swap(waiting_);
    for (auto& call : batch) {
        RunGuarded(call);
    }
    running_ = false;
}

// The first failure wins: later ones are usually its consequences.
void MainThreadCallQueue::RunGuarded(std::function<void()>& call) {
    try {
        call();
    } catch (...) {
        if (failure_ == nullptr) {
            failure_ = std::current_exception();
        }
    }
}

void MainThreadCallQueue::RaiseFailure() {
    if (failure_ != nullptr) {
        std::rethrow_exception(std::exchange(failure_, nullptr));
    }
}

bool MainThreadCallQueue::NewCallPending() const {
    return postCount_.load(std::memory_order_acquire) != seenCount_ && Pending();
}

void MainThreadCallQueue::PauseEnded() {
    seenCount_ = postCount_.load(std::memory_order_acquire);
}

} // namespace keyweave
