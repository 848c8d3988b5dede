#include "platform/x11/call_wake.h"

#include <utility>

namespace keyweave::x11 {

void CallWake::Post(std::function<void()> call) {
    {
        std::lock_guard lock(mutex_);
        calls_.Post(std::move(call));
    }
    posted_.notify_one();
}

bool CallWake::WaitForNewCall(std::chrono::steady_clock::time_point deadline) {
    std::unique_lock lock(mutex_);
    return posted_.wait_until(lock, deadline, [this] { return calls_.NewCallPending(); });
}

} // namespace keyweave::x11
