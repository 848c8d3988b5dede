#include "wayland_program.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

namespace keyweave::wayland_test {
namespace {

struct Shared {
    testing::TempFolder scratch{"keyweave-wayland"};
    WaylandSession session;
    std::string problem;
};

Shared& TheShared() {
    static Shared* shared = [] {
        auto* made = new Shared;
        if (!made->session.Start(made->scratch.Path().string())) {
            made->problem = made->session.Problem();
        } else {
            UseAccessibilityBusOf(made->session);
        }
        return made;
    }();
    return *shared;
}

// Ends the compositor after the last test.
class SessionEnd : public ::testing::Environment {
public:
    void TearDown() override {
        Accessibility::Disconnect();
        TheShared().session.Stop();
    }
};

const bool kSessionEndRegistered = (::testing::AddGlobalTestEnvironment(new SessionEnd), true);

std::string TestName() {
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string(info->test_suite_name()) + "." + info->name();
}

// Whether the socket `fd` leads to the compositor's socket at `path`.
bool LeadsTo(int fd, const std::string& path) {
    sockaddr_un peer{};
    socklen_t length = sizeof peer;
    return getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0 &&
           peer.sun_family == AF_UNIX && path == peer.sun_path;
}

} // namespace

WaylandSession& Session() {
    return TheShared().session;
}

const std::string& SessionProblem() {
    return TheShared().problem;
}

const std::string& ScratchFolder() {
    static const std::string folder = TheShared().scratch.Path().string();
    return folder;
}

int EndWaylandConnectionsOf(pid_t pid) {
    const auto& environment = Session().ClientEnvironment();
    const std::string path =
        environment.at("XDG_RUNTIME_DIR") + "/" + environment.at("WAYLAND_DISPLAY");
    const int process = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (process < 0) {
        return 0;
    }
    // The object id, then the message's size (8 bytes, only this header) and opcode 0.
    const std::uint32_t request[] = {0x7fffffff, 8u << 16};
    int ended = 0;
    std::error_code error;
    for (const auto& entry :
         std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", error)) {
        const int fd = static_cast<int>(
            syscall(SYS_pidfd_getfd, process, std::stoi(entry.path().filename().string()), 0));
        if (fd < 0) {
            continue;
        }
        if (LeadsTo(fd, path) && write(fd, request, sizeof request) == sizeof request) {
            ++ended;
        }
        close(fd);
    }
    close(process);
    return ended;
}

void WaylandProgram::SetUp() {
    ASSERT_TRUE(SessionProblem().empty()) << SessionProblem();
    target_ =
        std::make_unique<TargetWindow>(Session(), ScratchFolder() + "/" + TestName() + "/target");
    ASSERT_TRUE(target_->Start()) << "the target window did not come";
}

void WaylandProgram::TearDown() {
    target_.reset();
}

ProgramRun WaylandProgram::Program(const std::string& name) {
    return ProgramRun(Session(), KEYWEAVE_PROGRAM, ScratchFolder() + "/" + TestName() + "/" + name);
}

TopWindow WaylandProgram::StartProgram(ProgramRun& run) {
    auto window = StartOnSession(Session(), run);
    EXPECT_TRUE(window.has_value()) << run.Output();
    return window.value_or(TopWindow{});
}

void WaylandProgram::PickScript(ProgramRun& run, const std::string& name) {
    std::string problem;
    ASSERT_TRUE(run.PickScriptAccessibly(name, problem)) << problem;
}

void WaylandProgram::FocusProgram(const ProgramRun& run) {
    ASSERT_TRUE(FocusWindowOf(Session(), run.Pid()));
}

void WaylandProgram::Hold(const std::vector<std::string>& keysyms,
                          std::chrono::milliseconds length) {
    std::vector<std::string> arguments{"-s", "300"};
    for (const std::string& keysym : keysyms) {
        arguments.insert(arguments.end(), {"-P", keysym});
    }
    arguments.insert(arguments.end(), {"-s", std::to_string(length.count())});
    for (auto keysym = keysyms.rbegin(); keysym != keysyms.rend(); ++keysym) {
        arguments.insert(arguments.end(), {"-p", *keysym});
    }
    ASSERT_TRUE(Session().Wtype(arguments));
}

} // namespace keyweave::wayland_test
