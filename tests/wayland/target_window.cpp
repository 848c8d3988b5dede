#include "target_window.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace keyweave::wayland_test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

TargetWindow::TargetWindow(WaylandSession& session, const std::string& folder)
    : session_(session), folder_(folder) {
    fs::create_directories(folder_);
    fs::copy_file(KEYWEAVE_TARGET_WINDOW, folder_ + "/target_window.py",
                  fs::copy_options::overwrite_existing);
    std::ofstream(folder_ + "/target.log");
    session_.GiveToUser(folder_);
}

TargetWindow::~TargetWindow() {
    x11test::EndChild(pid_);
}

bool TargetWindow::Start() {
    x11test::SpawnOptions options;
    options.environment = {{"GDK_BACKEND", "wayland"}, {"NO_AT_BRIDGE", "1"}};
    options.outputFile = folder_ + "/target.out";
    pid_ = session_.StartClient(
        {"/usr/bin/python3", folder_ + "/target_window.py", folder_ + "/target.log", "target"},
        options);
    return pid_ > 0 &&
           WaitFor([](const Logged& line) { return line.kind == "ready"; }, 0, 15s) >= 0;
}

std::vector<Logged> TargetWindow::Log() const {
    std::vector<Logged> lines;
    std::ifstream file(folder_ + "/target.log");
    for (std::string text; std::getline(file, text);) {
        std::istringstream fields(text);
        Logged line;
        fields >> line.kind;
        if (line.kind == "key") {
            fields >> line.action >> line.what >> line.shift >> line.timeMs;
        } else if (line.kind == "button") {
            fields >> line.action >> line.what >> line.x >> line.y >> line.timeMs;
        } else if (line.kind == "motion") {
            fields >> line.x >> line.y >> line.what;
        } else if (line.kind == "focus") {
            fields >> line.action;
        }
        lines.push_back(line);
    }
    return lines;
}

int TargetWindow::WaitFor(const std::function<bool(const Logged&)>& wanted, std::size_t from,
                          std::chrono::milliseconds limit) const {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    do {
        const std::vector<Logged> lines = Log();
        for (std::size_t i = from; i < lines.size(); ++i) {
            if (wanted(lines[i])) {
                return static_cast<int>(i);
            }
        }
        std::this_thread::sleep_for(20ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return -1;
}

std::string TargetWindow::Describe() const {
    std::ifstream file(folder_ + "/target.log");
    std::ostringstream text;
    text << "the target window's log:\n" << file.rdbuf();
    return text.str();
}

} // namespace keyweave::wayland_test
