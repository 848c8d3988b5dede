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
    const std::int64_t end = clock_.Now() + ms;
    while (clock_.Now() < end && !calls_.NewCallPending()) {
        const auto deadline = clock_.NextDeadline();
        const std::int64_t until = deadline && *deadline < end ? *deadline : end;
        clock_.Advance(std::max<std::int64_t>(until - clock_.Now(), 1));
    }
    calls_.PauseEnded();
}

void SimSystemDriver::SleepUntilChange(int ms) {
    ++pausesUntilChange_;
    Sleep(ms);
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
