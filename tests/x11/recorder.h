#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

typedef struct _XDisplay Display;

namespace keyweave::x11test {

using Clock = std::chrono::steady_clock;

// One key or button transition that the X server handled, whoever caused it.
struct InputEvent {
    enum Kind { KeyDown, KeyUp, ButtonDown, ButtonUp };
    Kind kind;
    int detail;             // keycode, or X button number
    unsigned long serverMs; // the server's timestamp
    Clock::time_point seen; // when the recorder received it
};

// Sees every key and button event of the server, as XInput 2 raw events on the root window
// (sent at once, with no batching), on a thread of its own.
class Recorder {
public:
    explicit Recorder(const std::string& display);
    ~Recorder();
    Recorder(const Recorder&) = delete;
    Recorder& operator=(const Recorder&) = delete;

    bool Ok() const { return display_ != nullptr; }
    std::vector<InputEvent> Events() const;
    void Clear();

    // Waits at most `limit` for an event that matches; the index of the first such event at
    // or after `from`, or -1.
    int WaitFor(InputEvent::Kind kind, int detail, std::size_t from,
                std::chrono::milliseconds limit) const;

private:
    void Run();

    Display* display_ = nullptr;
    int opcode_ = -1;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<InputEvent> events_;
    std::thread thread_;
};

} // namespace keyweave::x11test
