#pragma once

// GoogleTest's Notification is built on std::mutex, which the win32 thread model of mingw-w64
// lacks. This one serves instead; only GoogleTest's own thread tests use it.

#include <atomic>

namespace testing::internal {

class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { notified_.store(true); }

    void WaitForNotification() {
        while (!notified_.load()) {
        }
    }

private:
    std::atomic<bool> notified_{false};
};

} // namespace testing::internal

#define GTEST_HAS_NOTIFICATION_ 1
