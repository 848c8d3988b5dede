#include "sleeper.h"

#include <chrono>
#include <ctime>
#include <pthread.h>
#include <sys/prctl.h>

namespace keyweave::bench {

Sleeper::Sleeper() : thread_([this] { Run(); }) {}

Sleeper::~Sleeper() {
    stop_ = true;
    thread_.join();
}

Summary Sleeper::TakeLateness() {
    std::vector<double> taken;
    {
        std::lock_guard lock(mutex_);
        taken.swap(lateness_);
    }
    return Summarize(std::move(taken));
}

std::chrono::nanoseconds Sleeper::CpuTime() {
    clockid_t clock = 0;
    timespec used{};
    if (pthread_getcpuclockid(thread_.native_handle(), &clock) != 0 ||
        clock_gettime(clock, &used) != 0) {
        return {};
    }
    return std::chrono::seconds(used.tv_sec) + std::chrono::nanoseconds(used.tv_nsec);
}

void Sleeper::Run() {
    // The same timer slack as the program's main and timer threads.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
    using Clock = std::chrono::steady_clock;
    constexpr auto kPause = std::chrono::milliseconds(2);
    while (!stop_) {
        const auto start = Clock::now();
        std::this_thread::sleep_for(kPause);
        const std::chrono::duration<double, std::milli> late = Clock::now() - start - kPause;
        std::lock_guard lock(mutex_);
        lateness_.push_back(late.count());
    }
}

} // namespace keyweave::bench
