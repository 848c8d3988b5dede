#include "program_run.h"

#include "accessibility.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace keyweave::x11test {
namespace fs = std::filesystem;

ProgramRun::ProgramRun(Desktop& desktop, const std::string& program, const std::string& folder)
    : desktop_(desktop), folder_(folder) {
    fs::create_directories(folder_ + "/Scripts");
    fs::copy_file(program, folder_ + "/keyweave", fs::copy_options::overwrite_existing);
    // The module that the program file loads to run the program itself, where a build has it.
    const fs::path module = fs::path(program).parent_path() / "keyweave-gtk.so";
    if (fs::exists(module)) {
        fs::copy_file(module, folder_ + "/keyweave-gtk.so", fs::copy_options::overwrite_existing);
    }
}

ProgramRun::~ProgramRun() {
    if (pid_ > 0 && !exited_) {
        EndChild(pid_);
    }
}

void ProgramRun::AddScript(const std::string& fileName, const std::string& text) {
    std::ofstream(folder_ + "/Scripts/" + fileName, std::ios::binary) << text;
}

void ProgramRun::WriteSettings(const std::string& bytes) {
    std::ofstream(folder_ + "/settings.ini", std::ios::binary) << bytes;
}

std::optional<std::string> ProgramRun::Settings() const {
    std::ifstream file(folder_ + "/settings.ini", std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

namespace {

std::string ReadText(const std::string& path) {
    std::ifstream file(path);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

} // namespace

SpawnOptions ProgramRun::Options(const Environment& extra, const std::string& outputFile) const {
    SpawnOptions options;
    options.environment = desktop_.ClientEnvironment();
    for (const auto& [name, value] : extra) {
        options.environment[name] = value;
    }
    options.workingFolder = fs::path(folder_).parent_path().string();
    options.outputFile = outputFile;
    return options;
}

bool ProgramRun::Start(const Environment& extra, const std::vector<std::string>& arguments) {
    std::vector<std::string> command{folder_ + "/keyweave"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    pid_ = desktop_.StartClient(command, Options(extra, folder_ + "/output.log"));
    return pid_ > 0;
}

std::string ProgramRun::Output() const {
    return ReadText(folder_ + "/output.log");
}

ProgramRun::Answer ProgramRun::Run(const std::vector<std::string>& arguments,
                                   const Environment& extra, std::chrono::milliseconds limit) {
    const std::string outputFile = folder_ + "/run-" + std::to_string(++runs_) + ".log";
    std::vector<std::string> command{folder_ + "/keyweave"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    Answer answer;
    const pid_t pid = desktop_.StartClient(command, Options(extra, outputFile));
    const std::optional<int> status = x11test::WaitForExit(pid, limit);
    if (!status) {
        EndChild(pid);
    }
    answer.status = status.value_or(-1);
    answer.output = ReadText(outputFile);
    return answer;
}

std::optional<TopWindow>
ProgramRun::WaitForWindow(const std::function<bool(const TopWindow&)>& wanted,
                          std::chrono::milliseconds limit) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    do {
        for (const TopWindow& window : desktop_.WindowsOf(pid_)) {
            if (wanted(window)) {
                return window;
            }
        }
        std::this_thread::sleep_for(20ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

std::optional<TopWindow> ProgramRun::WaitForMainWindow(std::chrono::milliseconds limit) {
    auto window = WaitForWindow(
        [](const TopWindow& shown) { return shown.title == "Keyweave 1.0" && shown.width == 600; },
        limit);
    if (window) {
        mainWindow_ = *window;
    }
    return window;
}

namespace {

// The item of the list that the combo box drops down: a cell of the table in the pop-up
// window, which is a top-level window of its own.
std::optional<UiElement> ShownListItem(pid_t pid, const std::string& name) {
    bool inPopup = false;
    for (const UiElement& element : Accessibility::Elements(pid)) {
        if (element.depth == 0) {
            inPopup = element.role == "window";
        } else if (inPopup && element.role == "table cell" && element.name == name &&
                   element.showing && element.width > 0) {
            return element;
        }
    }
    return std::nullopt;
}

} // namespace

// A click that reaches the window before its first layout opens nothing: the user clicks
// again.
bool ProgramRun::PickScript(const std::string& name, std::string& problem) {
    if (!Accessibility::WaitFor(pid_, "combo box", "", 5s)) {
        problem = "the script combo box is not on the accessibility bus";
        return false;
    }
    std::optional<UiElement> item;
    for (int attempt = 0; attempt < 3 && !item; ++attempt) {
        if (!desktop_.ClickAt(mainWindow_.x + 100, mainWindow_.y + 35)) {
            problem = "xdotool failed";
            return false;
        }
        const auto deadline = std::chrono::steady_clock::now() + 1500ms;
        while (!item && std::chrono::steady_clock::now() < deadline) {
            item = ShownListItem(pid_, name);
        }
    }
    if (!item || !desktop_.ClickAt(item->x + item->width / 2, item->y + item->height / 2) ||
        !Accessibility::WaitFor(pid_, "statusbar", name + " ready.", 5s)) {
        problem = "cannot choose the script " + name + ":\n" +
                  Accessibility::Describe(Accessibility::Elements(pid_));
        return false;
    }
    return true;
}

bool ProgramRun::PickScriptAccessibly(const std::string& name, std::string& problem) {
    if (!Accessibility::WaitFor(pid_, "combo box", "", 5s)) {
        problem = "the script combo box is not on the accessibility bus";
        return false;
    }
    if (!Accessibility::Choose(pid_, "combo box", name) ||
        !Accessibility::WaitFor(pid_, "statusbar", name + " ready.", 5s)) {
        problem = "cannot choose the script " + name + ":\n" +
                  Accessibility::Describe(Accessibility::Elements(pid_));
        return false;
    }
    return true;
}

std::optional<int> ProgramRun::WaitForExit(std::chrono::milliseconds limit) {
    auto status = x11test::WaitForExit(pid_, limit);
    exited_ = status.has_value();
    return status;
}

} // namespace keyweave::x11test
