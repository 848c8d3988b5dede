#pragma once

#include "process.h"

#include <string>
#include <vector>

namespace keyweave::x11test {

// A private X server (Xvfb on a free display number, -noreset -nolisten tcp, 1024 x 768) with a
// private session bus and the accessibility bus, through which tests read what the program's
// window shows. Every process it starts is tracked by its id and ended by it.
class XSession {
public:
    XSession() = default;
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // Starts the server, and the buses unless `accessibility` is false; false with Problem()
    // set when a tool is missing or does not start.
    bool Start(const std::string& scratchFolder, bool accessibility = true);
    void Stop();

    const std::string& Problem() const { return problem_; }
    const std::string& Display() const { return display_; }
    pid_t ServerPid() const { return server_; }
    // What a program started on this session needs in its environment.
    const Environment& ClientEnvironment() const { return environment_; }

    static constexpr int kScreenWidth = 1024;
    static constexpr int kScreenHeight = 768;

private:
    bool StartServer();
    bool StartSessionBus();
    bool StartAccessibility();
    bool Fail(const std::string& problem);

    std::string scratch_;
    std::string problem_;
    std::string display_;
    Environment environment_;
    pid_t server_ = -1;
    pid_t sessionBus_ = -1;
    pid_t busLauncher_ = -1;
    pid_t registry_ = -1;
};

} // namespace keyweave::x11test
