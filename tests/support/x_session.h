#pragma once

#include "desktop.h"
#include "process.h"

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace keyweave::x11test {

inline constexpr int kDefaultScreenWidth = 1024;
inline constexpr int kDefaultScreenHeight = 768;

struct Monitor {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The server's screen: its size and, when given, the primary RandR monitor on it; without one
// the server's own monitor covers the whole screen.
struct ScreenLayout {
    int width = kDefaultScreenWidth;
    int height = kDefaultScreenHeight;
    std::optional<Monitor> primary;
};

// A private X server (Xvfb on a free display number, -noreset -nolisten tcp, 1024 x 768 unless
// told otherwise) with a private session bus and the accessibility bus, through which tests
// read what the program's window shows. Every process it starts is tracked by its id and
// ended by it.
class XSession final : public Desktop {
public:
    XSession() = default;
    ~XSession() override;
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    // Starts the server with this screen, and the buses unless `accessibility` is false; false
    // with Problem() set when a tool is missing or does not start.
    bool Start(const std::string& scratchFolder, bool accessibility = true,
               const ScreenLayout& screen = {});
    void Stop();

    const std::string& Problem() const { return problem_; }
    const std::string& Display() const { return display_; }
    pid_t ServerPid() const { return server_; }
    // What a program started on this session needs in its environment.
    const Environment& ClientEnvironment() const override { return environment_; }
    pid_t StartClient(const std::vector<std::string>& command,
                      const SpawnOptions& options) const override;
    bool ClickAt(int x, int y) const override;
    std::vector<TopWindow> WindowsOf(pid_t pid) const override;
    // Runs xdotool on this server, as the user's keyboard and mouse, for at most `limit`; true
    // when it succeeded.
    bool Xdotool(const std::vector<std::string>& arguments,
                 std::chrono::milliseconds limit = std::chrono::seconds(10)) const;

    static constexpr int kScreenWidth = kDefaultScreenWidth;
    static constexpr int kScreenHeight = kDefaultScreenHeight;

private:
    bool StartServer(const ScreenLayout& screen);
    bool SetPrimaryMonitor(const Monitor& monitor);
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

// Whether a name has an owner on the D-Bus bus at this address.
bool BusNameHasOwner(const std::string& busAddress, const char* name);

} // namespace keyweave::x11test
