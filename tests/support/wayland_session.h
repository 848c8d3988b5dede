#pragma once

#include "desktop.h"
#include "process.h"

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace keyweave::x11test {

// A private headless sway (a wlroots compositor) with one 1280 x 800 output, run by an
// unprivileged user of its own, since sway refuses to run as root: as root the session creates
// the user (kUser) when it is missing and runs sway and every client as that user; as anyone
// else it runs them as itself. Windows have no borders, a lone tiled window fills the output,
// and Keyweave's window floats at the output's top left corner. An accessibility bus, which
// the session's user may use, lets tests read the windows as on X11. Every process it starts
// is tracked by its id and ended by it.
class WaylandSession final : public Desktop {
public:
    static constexpr const char* kUser = "keyweave-wayland";
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 800;

    WaylandSession() = default;
    ~WaylandSession() override;
    WaylandSession(const WaylandSession&) = delete;
    WaylandSession& operator=(const WaylandSession&) = delete;

    // Starts the compositor with `extraConfig` lines added to its configuration, and the
    // accessibility bus; false with Problem() set when a tool is missing or does not start.
    // The scratch folder is given to the session's user.
    bool Start(const std::string& scratchFolder, const std::string& extraConfig = "");
    void Stop();

    const std::string& Problem() const { return problem_; }
    pid_t CompositorPid() const { return compositor_; }
    // Makes a file or folder the session's user's, so that its programs may write there.
    void GiveToUser(const std::string& path) const;

    const Environment& ClientEnvironment() const override { return environment_; }
    // The program runs as the session's user, with the session's environment only (and the
    // options' additions).
    pid_t StartClient(const std::vector<std::string>& command,
                      const SpawnOptions& options) const override;
    bool ClickAt(int x, int y) const override;
    std::vector<TopWindow> WindowsOf(pid_t pid) const override;

    // Runs swaymsg with these arguments, at most `limit`; true when it succeeded.
    bool Swaymsg(const std::vector<std::string>& arguments,
                 std::chrono::milliseconds limit = std::chrono::seconds(10)) const;
    // Runs wtype with these arguments as the user's keyboard, at most `limit`; true when it
    // succeeded. Each run is a new virtual keyboard of the seat.
    bool Wtype(const std::vector<std::string>& arguments,
               std::chrono::milliseconds limit = std::chrono::seconds(10)) const;
    // The user's pointer, through the seat: onto a pixel of the output; a button (1 left, 3
    // right) pressed or released where it rests.
    bool MovePointer(int x, int y) const;
    bool Button(int button, bool down) const;

private:
    bool StartCompositor(const std::string& extraConfig);
    bool StartAccessibility();
    bool PrepareUser();
    std::vector<std::string> AsUser(const std::vector<std::string>& command) const;
    int RunAsUser(const std::vector<std::string>& command, std::chrono::milliseconds limit) const;
    bool Fail(const std::string& problem);

    std::string scratch_;
    std::string problem_;
    Environment environment_;
    bool switchUser_ = false;
    uid_t uid_ = 0;
    gid_t gid_ = 0;
    pid_t compositor_ = -1;
    pid_t bus_ = -1;
    pid_t registry_ = -1;
};

} // namespace keyweave::x11test
