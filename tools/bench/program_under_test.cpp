#include "program_under_test.h"

#include "accessibility.h"
#include "process.h"

#include <X11/Xlib.h>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace keyweave::bench {
namespace fs = std::filesystem;
using namespace std::chrono_literals;

ProgramUnderTest::ProgramUnderTest(x11test::XSession& session, const std::string& program,
                                   const std::string& scratchFolder)
    : session_(session), folder_(scratchFolder + "/program") {
    fs::create_directories(folder_ + "/Scripts");
    fs::copy_file(program, folder_ + "/keyweave", fs::copy_options::overwrite_existing);
}

ProgramUnderTest::~ProgramUnderTest() {
    if (pid_ > 0) {
        x11test::EndChild(pid_);
    }
}

void ProgramUnderTest::AddScript(const std::string& fileName, const std::string& text) {
    std::ofstream(folder_ + "/Scripts/" + fileName, std::ios::binary) << text;
}

void ProgramUnderTest::WriteSettings(const std::string& bytes) {
    std::ofstream(folder_ + "/settings.ini", std::ios::binary) << bytes;
}

bool ProgramUnderTest::Start(std::string& problem) {
    x11test::SpawnOptions options;
    options.environment = session_.ClientEnvironment();
    options.outputFile = folder_ + "/output.log";
    pid_ = x11test::Spawn({folder_ + "/keyweave"}, options);
    if (pid_ <= 0) {
        problem = "cannot start the program";
        return false;
    }
    x11test::XClient x(session_.Display());
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
        for (const x11test::TopWindow& window : x.WindowsOf(pid_)) {
            if (window.title == "Keyweave 1.0" && window.width == 600) {
                window_ = window;
                return true;
            }
        }
        std::this_thread::sleep_for(20ms);
    }
    problem = "the program's window did not appear";
    return false;
}

bool ProgramUnderTest::Xdotool(const std::vector<std::string>& arguments) {
    std::vector<std::string> command{x11test::FindProgram("xdotool")};
    command.insert(command.end(), arguments.begin(), arguments.end());
    x11test::SpawnOptions options;
    options.environment = session_.ClientEnvironment();
    return x11test::RunToEnd(command, options, 60s) == 0;
}

bool ProgramUnderTest::FocusDesktop() {
    if (!Xdotool({"mousemove", "2", "2"})) {
        return false;
    }
    Display* display = XOpenDisplay(session_.Display().c_str());
    if (display == nullptr) {
        return false;
    }
    XSetInputFocus(display, PointerRoot, RevertToPointerRoot, CurrentTime);
    XSync(display, False);
    XCloseDisplay(display);
    return true;
}

bool ProgramUnderTest::ClickAt(int x, int y) {
    return Xdotool({"mousemove", std::to_string(x), std::to_string(y)}) && Xdotool({"click", "1"});
}

// A click that reaches the window before its first layout opens nothing: click again.
bool ProgramUnderTest::PickScript(const std::string& name, std::string& problem) {
    if (!x11test::Accessibility::WaitFor(pid_, "combo box", "", 5s)) {
        problem = "the script combo box is not on the accessibility bus";
        return false;
    }
    std::optional<x11test::UiElement> item;
    for (int attempt = 0; attempt < 3 && !item; ++attempt) {
        if (!ClickAt(window_.x + 100, window_.y + 35)) {
            problem = "xdotool failed";
            return false;
        }
        const auto deadline = std::chrono::steady_clock::now() + 1500ms;
        while (!item && std::chrono::steady_clock::now() < deadline) {
            for (const x11test::UiElement& element : x11test::Accessibility::Elements(pid_)) {
                if (element.role == "menu item" && element.name == name && element.showing &&
                    element.width > 0) {
                    item = element;
                }
            }
        }
    }
    if (!item || !ClickAt(item->x + item->width / 2, item->y + item->height / 2) ||
        !x11test::Accessibility::WaitFor(pid_, "statusbar", name + " ready.", 5s)) {
        problem = "cannot choose the script " + name;
        return false;
    }
    if (!FocusDesktop()) {
        problem = "cannot move the focus to the desktop";
        return false;
    }
    return true;
}

double ProgramUnderTest::PeakResidentMiB() const {
    std::ifstream status("/proc/" + std::to_string(pid_) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) {
            std::istringstream fields(line.substr(6));
            double kib = 0;
            fields >> kib;
            return kib / 1024.0;
        }
    }
    return 0;
}

} // namespace keyweave::bench
