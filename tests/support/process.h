#pragma once

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace keyweave::x11test {

using Environment = std::map<std::string, std::string>;

// The full path of a program found in PATH (or the path itself when it holds a slash and
// names an executable file); empty when there is none.
std::string FindProgram(const std::string& name);

struct SpawnOptions {
    Environment environment;   // added to, or replacing entries of, this process's environment
    std::string workingFolder; // empty: this process's
    std::string outputFile;    // standard output and error; empty: /dev/null
    int passFd = -1;           // a descriptor of this process that the child gets as fd 3
};

// Starts a program; returns its process id, or -1 when it could not be started.
pid_t Spawn(const std::vector<std::string>& command, const SpawnOptions& options = {});

// Waits for a child to end, at most `limit`; its exit status (128 + signal when killed by a
// signal), or nothing when it is still running.
std::optional<int> WaitForExit(pid_t pid, std::chrono::milliseconds limit);

// Ends a child: SIGTERM, then SIGKILL when it is still there after `grace`; reaps it.
void EndChild(pid_t pid, std::chrono::milliseconds grace = std::chrono::milliseconds(2000));

// Ends a process that is not this one's child (SIGTERM, then SIGKILL), by its id only.
void EndProcess(pid_t pid, std::chrono::milliseconds grace = std::chrono::milliseconds(2000));

// The ids of the processes whose parent is `parent`.
std::vector<pid_t> ChildrenOf(pid_t parent);

// Runs a program to its end, at most `limit`; its exit status, or -1 when it had to be ended.
int RunToEnd(const std::vector<std::string>& command, const SpawnOptions& options,
             std::chrono::milliseconds limit);

// A pipe whose write end a child gets as fd 3 (SpawnOptions::passFd); both ends of this
// process are above 3 and closed on exec.
struct Pipe {
    int read = -1;
    int write = -1;
    Pipe();
    ~Pipe();
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    void CloseWrite();
    // The first line the child writes, waiting at most `limit`; empty when none came.
    std::string ReadLine(std::chrono::milliseconds limit);
};

// Checks `done` every 20 ms until it holds, at most `limit`; whether it held.
template <typename Predicate> bool WaitUntil(Predicate done, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// User and system CPU time of a process so far.
std::chrono::milliseconds CpuTime(pid_t pid);

// The peak resident set of a process so far (VmHWM), in MiB.
double PeakResidentMiB(pid_t pid);

} // namespace keyweave::x11test
