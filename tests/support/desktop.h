#pragma once

#include "process.h"
#include "x_client.h"

#include <string>
#include <vector>

namespace keyweave::x11test {

// What a run of the real program needs of the desktop session it runs on, X11 or Wayland: the
// environment of its programs, how one of them starts, the user's mouse, and the program's
// windows.
class Desktop {
public:
    virtual ~Desktop() = default;

    // What a program started on this session needs in its environment.
    virtual const Environment& ClientEnvironment() const = 0;
    // Starts a program as the session's user; its process id, or -1.
    virtual pid_t StartClient(const std::vector<std::string>& command,
                              const SpawnOptions& options) const = 0;
    // The user clicks the left button on a pixel of the screen.
    virtual bool ClickAt(int x, int y) const = 0;
    // The mapped top-level windows of a process.
    virtual std::vector<TopWindow> WindowsOf(pid_t pid) const = 0;
};

} // namespace keyweave::x11test
