#pragma once

#include <atomic>
#include <chrono>
#include <limits>
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
    // Buttons: the pointer's screen pixel as the last raw move put it, -1 before any. That is
    // exact for XTest's absolute moves onto the screen, as Keyweave makes them; a warp (which
    // xdotool's mousemove is) makes no raw move, and a mouse's raw moves are steps.
    int x = -1;
    int y = -1;
};

// The events among [from, to) that change what is held: raw events also report releases of
// keys and buttons that are up already.
std::vector<InputEvent> Changes(const std::vector<InputEvent>& events, std::size_t from = 0,
                                std::size_t to = std::numeric_limits<std::size_t>::max());

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
    int pointerX_ = -1; // where the last raw move put the pointer
    int pointerY_ = -1;
    std::thread thread_;
};

} // namespace keyweave::x11test
