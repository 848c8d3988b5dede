#include "platform/gtk/context_watch.h"

#include "platform/gtk/timer_thread.h"

#include <algorithm>
#include <glib.h>
#include <poll.h>
#include <vector>

namespace keyweave::gtk {
namespace {

// Counts the changes that MainContextChanged reports; main thread only.
std::uint64_t changes = 0;

timespec Timespec(LoopDuration duration) {
    const auto seconds = std::chrono::floor<std::chrono::seconds>(duration);
    return {static_cast<time_t>(seconds.count()), static_cast<long>((duration - seconds).count())};
}

} // namespace

void MainContextChanged() {
    ++changes;
}

ContextWatch::ContextWatch(int callFd, int inputFd) : callFd_(callFd), inputFd_(inputFd), fds_(16) {
    g_main_context_acquire(g_main_context_default());
}

ContextWatch::~ContextWatch() {
    g_main_context_release(g_main_context_default());
}

bool ContextWatch::WaitUntil(LoopTime until) {
    if (Stale()) {
        Query();
    }
    watched_ = true;
    polled_.assign(1, {callFd_, POLLIN, 0});
    if (inputFd_ >= 0 && !inputReadable_) {
        polled_.push_back({inputFd_, POLLIN, 0});
    }
    if (!Arrived()) {
        for (int i = 0; i < count_; ++i) {
            if (fds_[i].fd != callFd_ && fds_[i].fd != inputFd_) {
                polled_.push_back({fds_[i].fd, static_cast<short>(fds_[i].events), 0});
            }
        }
    }
    for (;;) {
        const LoopDuration left = until - MonotonicNow();
        if (left <= LoopDuration::zero()) {
            return false;
        }
        const timespec limit = Timespec(left);
        if (ppoll(polled_.data(), polled_.size(), &limit, nullptr) <= 0) {
            return false;
        }
        if (polled_.front().revents != 0) {
            return true;
        }
        std::erase_if(polled_, [this](const pollfd& polled) {
            if (polled.revents == 0) {
                return false;
            }
            (polled.fd == inputFd_ ? inputReadable_ : readable_) = true;
            return true;
        });
    }
}

bool ContextWatch::TakeQuiet() {
    return std::exchange(watched_, false) && !Stale() && !Arrived();
}

void ContextWatch::Ran() {
    prepared_ = false;
    ready_ = false;
    readable_ = false;
    watched_ = false;
}

bool ContextWatch::Prepare() {
    watched_ = false;
    Query();
    return ready_;
}

void ContextWatch::Check() {
    g_main_context_check(g_main_context_default(), priority_, fds_.data(), count_);
}

void ContextWatch::PollAndCheck(std::optional<LoopTime> until) {
    if (timeoutMs_ >= 0) {
        const LoopTime timeout = preparedAt_ + std::chrono::milliseconds(timeoutMs_);
        until = until ? std::min(*until, timeout) : timeout;
    }
    polled_.clear();
    for (int i = 0; i < count_; ++i) {
        polled_.push_back({fds_[i].fd, static_cast<short>(fds_[i].events), 0});
    }
    timespec limit{};
    if (until) {
        limit = Timespec(std::max(*until - MonotonicNow(), LoopDuration::zero()));
    }
    readable_ =
        ppoll(polled_.data(), polled_.size(), until ? &limit : nullptr, nullptr) > 0 || readable_;
    for (int i = 0; i < count_; ++i) {
        fds_[i].revents = static_cast<gushort>(polled_[i].revents);
    }
    Check();
}

void ContextWatch::Query() {
    GMainContext* context = g_main_context_default();
    ready_ = g_main_context_prepare(context, &priority_);
    while ((count_ = g_main_context_query(context, priority_, &timeoutMs_, fds_.data(),
                                          static_cast<gint>(fds_.size()))) >
           static_cast<gint>(fds_.size())) {
        fds_.resize(static_cast<std::size_t>(count_));
    }
    preparedAt_ = MonotonicNow();
    preparedChanges_ = changes;
    prepared_ = true;
}

bool ContextWatch::Stale() const {
    return !prepared_ || preparedChanges_ != changes;
}

bool ContextWatch::Arrived() const {
    return ready_ || readable_ ||
           (timeoutMs_ >= 0 &&
            MonotonicNow() >= preparedAt_ + std::chrono::milliseconds(timeoutMs_));
}

} // namespace keyweave::gtk
