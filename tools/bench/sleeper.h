#pragma once

#include "statistics.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

namespace keyweave::bench {

// A bare loop of 2 ms sleeps on a thread of its own, timing how late each sleep ends: what the
// machine itself adds to any timed wait while a figure is being measured.
class Sleeper {
public:
    Sleeper();
    ~Sleeper();
    Sleeper(const Sleeper&) = delete;
    Sleeper& operator=(const Sleeper&) = delete;

    // How late the sleeps that ended since the previous call woke, in ms.
    Summary TakeLateness();

    // The CPU time the loop has used so far: what a bare 2 ms loop costs on this machine.
    std::chrono::nanoseconds CpuTime();

private:
    void Run();

    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<double> lateness_;
    std::thread thread_;
};

} // namespace keyweave::bench
