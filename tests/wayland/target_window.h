#pragma once

#include "support/wayland_session.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace keyweave::wayland_test {

using x11test::WaylandSession;

// One line of the target window's log (target_window.py).
struct Logged {
    std::string kind;   // "key", "button", "motion", "focus", "ready"
    std::string action; // key, button: "press" or "release"; focus: "in" or "out"
    std::string what;   // key: its keysym name; button: its number; motion: the buttons held
    int x = 0;          // button, motion: the window's pixel
    int y = 0;
    bool shift = false; // key: Shift was in the modifiers' state
    double timeMs = 0;  // key, button: the monotonic clock's milliseconds
};

// A native Wayland window (GTK 3 on its Wayland backend) that fills the output, beneath
// Keyweave's floating window, and logs every key, button and pointer move it receives.
class TargetWindow {
public:
    TargetWindow(WaylandSession& session, const std::string& folder);
    ~TargetWindow();
    TargetWindow(const TargetWindow&) = delete;
    TargetWindow& operator=(const TargetWindow&) = delete;

    // Starts it and waits until it is shown; false when it does not come.
    bool Start();
    pid_t Pid() const { return pid_; }

    std::vector<Logged> Log() const;
    // Waits at most `limit` for a line from the `from`th on that satisfies `wanted`; its index,
    // or -1.
    int WaitFor(const std::function<bool(const Logged&)>& wanted, std::size_t from,
                std::chrono::milliseconds limit) const;
    std::string Describe() const;

private:
    WaylandSession& session_;
    std::string folder_;
    pid_t pid_ = -1;
};

} // namespace keyweave::wayland_test
