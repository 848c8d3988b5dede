#include "platform/sim/sim_system.h"

#include <algorithm>
#include <stdexcept>

namespace keyweave::sim {

void SimSystemDriver::Poll() {
    for (int run = 0; run < kMaxRunsPerPoll && calls_.Pending(); ++run) {
        calls_.RunPending();
    }
    calls_.RaiseFailure();
}

void SimSystemDriver::Wait() {
    if (!calls_.Pending()) {
        const auto deadline = clock_.NextDeadline();
        if (!deadline) {
            throw std::logic_error("Wait with no timer running would block forever");
        }
        clock_.Advance(*deadline - clock_.Now());
    }
    Poll();
}

void SimSystemDriver::PostMainThreadCall(std::function<void()> call) {
    calls_.Post(std::move(call));
}

void SimSystemDriver::Sleep(int ms) {
    pause_.Sleep(std::chrono::milliseconds(ms));
}

void SimSystemDriver::SleepUntilChange(int ms) {
    ++pausesUntilChange_;
    pause_.SleepUntilChange(std::chrono::milliseconds(ms));
}

// Time moves in whole milliseconds, at least one per wait.
void SimSystemDriver::WaitUntil(LoopTime until, bool) {
    clock_.Advance(std::max<std::int64_t>(CeilMs(until) - clock_.Now(), 1));
}

void SimSystemDriver::WaitForChange(std::optional<LoopTime> until) {
    WaitUntil(until.value_or(clock_.LoopNow()), false);
}

void SimSystemDriver::Notify(const std::u16string& title, const std::u16string& text,
                             bool serious) {
    const MessageBoxRecord box{clock_.Now(), title, text, serious};
    boxes_.push_back(box);
    if (boxHandler_) {
        boxHandler_(box);
    }
    for (std::int64_t elapsed = 0; elapsed < modalMs_; ++elapsed) {
        clock_.Advance(1);
        Poll();
    }
}

void SimSystemDriver::ExitProcess(int status) {
    throw ProcessExit(status);
}

void SimSystemDriver::SetMessageBoxHandler(std::function<void(const MessageBoxRecord&)> handler) {
    boxHandler_ = std::move(handler);
}

void SimSystemDriver::SetMessageBoxDuration(std::int64_t modalMs) {
    modalMs_ = modalMs;
}

} // namespace keyweave::sim
