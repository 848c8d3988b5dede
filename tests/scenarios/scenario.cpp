#include "scenario.h"

#include "app/app.h"
#include "app/program_state.h"
#include "runtime/strings.h"

#include <filesystem>
#include <sstream>
#include <stdexcept>

namespace keyweave::scenario {

namespace {

sim::SimGadget& Sim(const GadgetRef& gadget) {
    return sim::AsSim(gadget);
}

std::string KindText(sim::InjectedAction::Kind kind) {
    switch (kind) {
    case sim::InjectedAction::KeyDown:
        return "KeyDown";
    case sim::InjectedAction::KeyUp:
        return "KeyUp";
    case sim::InjectedAction::MouseDown:
        return "MouseDown";
    case sim::InjectedAction::MouseUp:
        return "MouseUp";
    case sim::InjectedAction::Move:
        return "Move";
    }
    return "?";
}

std::string Describe(const sim::InjectedAction& action) {
    std::string text = std::to_string(action.timeMs) + " " + KindText(action.kind) + " ";
    if (action.kind == sim::InjectedAction::Move) {
        return text + std::to_string(action.x) + " " + std::to_string(action.y);
    }
    return text + std::to_string(action.code);
}

// The simulated platform but for its input watcher: one that cannot watch.
class WithoutWatcher final : public Platform {
public:
    explicit WithoutWatcher(sim::SimPlatform& sim)
        : Platform({sim.Keyboard(), sim.Mouse(), sim.Timers(), sim.System(), sim.Gadgets(),
                    CannotWatch()}) {}
};

} // namespace

Scenario::Scenario(ScreenSize desktop) : sim(desktop) {
    std::filesystem::create_directory("Scripts");
}

Scenario::~Scenario() {
    ResetProgramState();
}

void Scenario::AddScript(const std::string& file, const std::string& name,
                         const Lines& statements) {
    std::string text = "?kweaver\r\n{" + name + "\r\n";
    for (const auto& statement : statements) {
        text += statement + "\r\n";
    }
    folder.Write(std::filesystem::path("Scripts") / file, text);
}

void Scenario::WriteSettings(const std::string& bytes) {
    folder.Write("settings.ini", bytes);
}

void Scenario::Start() {
    TApp::StartUp(sim);
}

void Scenario::StartWithoutWatcher() {
    withoutWatcher_ = std::make_unique<WithoutWatcher>(sim);
    TApp::StartUp(*withoutWatcher_);
}

void Scenario::StartWithScript(const std::string& settings, const std::string& file,
                               const std::string& name, const Lines& statements) {
    WriteSettings(settings);
    AddScript(file, name, statements);
    Start();
    PickScript(FromUtf8(name));
}

void Scenario::RunUntil(std::int64_t ms) {
    while (!exitStatus && sim.Now() < ms) {
        try {
            TApp::Turn();
        } catch (const sim::ProcessExit& exit) {
            exitStatus = exit.status;
        }
    }
}

void Scenario::Hold(int code) {
    sim.HoldKey(code);
}

void Scenario::Release(int code) {
    sim.ReleaseKey(code);
}

void Scenario::MoveMouse(int x, int y) {
    sim.MoveCursorByUser(x, y);
}

void Scenario::PressMouse(int button) {
    sim.PressButtonByUser(button);
}

void Scenario::ReleaseMouse(int button) {
    sim.ReleaseButtonByUser(button);
}

void Scenario::Click(const GadgetRef& button) {
    Sim(button).Click();
}

void Scenario::PickScript(const std::u16string& name) {
    const auto items = ComboItems();
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == name) {
            PickItem(static_cast<int>(i));
            return;
        }
    }
    throw std::logic_error("no script named " + ToUtf8(name));
}

void Scenario::PickItem(int index) {
    Sim(Program().ScriptCombo).Pick(index);
}

void Scenario::UseCloseBox() {
    Sim(Program().Window).UseCloseBox();
}

void Scenario::Tap(std::initializer_list<int> codes, int holdMs) {
    for (int code : codes) {
        Hold(code);
    }
    RunUntil(Now() + holdMs);
    for (int code : codes) {
        Release(code);
    }
}

void Scenario::Perform(const Lines& timeline) {
    for (const std::string& line : timeline) {
        std::istringstream words(line);
        std::int64_t at = 0;
        std::string action;
        int first = 0;
        int second = 0;
        words >> at >> action >> first;
        const bool move = action == "Move";
        if (move) {
            words >> second;
        }
        if (!words || !(words >> std::ws).eof() || at < Now()) {
            throw std::invalid_argument("not a timeline line: " + line);
        }
        while (!exitStatus && Now() + 2 <= at) {
            RunUntil(Now() + 1);
        }
        sim.Advance(at - Now());
        if (move) {
            MoveMouse(first, second);
        } else if (action == "KeyDown" || action == "KeyUp") {
            action == "KeyDown" ? Hold(first) : Release(first);
        } else if (action == "MouseDown" || action == "MouseUp") {
            action == "MouseDown" ? PressMouse(first) : ReleaseMouse(first);
        } else {
            throw std::invalid_argument("not a timeline action: " + line);
        }
    }
}

std::u16string Scenario::Status() const {
    return Sim(Program().Window).status;
}

std::u16string Scenario::BindLabel() const {
    return Sim(Program().BindLabel).text;
}

std::u16string Scenario::BindButton() const {
    return Sim(Program().BindButton).text;
}

std::u16string Scenario::ViewText() const {
    return Sim(Program().ScriptView).area;
}

std::vector<sim::SimGadget::Run> Scenario::ViewColours() const {
    return Sim(Program().ScriptView).ColourRuns();
}

std::vector<std::u16string> Scenario::ComboItems() const {
    std::vector<std::u16string> texts;
    for (const auto& item : Sim(Program().ScriptCombo).items) {
        texts.push_back(item.text);
    }
    return texts;
}

int Scenario::ComboCurrent() const {
    return Sim(Program().ScriptCombo).current;
}

std::u16string Scenario::ComboText() const {
    return Sim(Program().ScriptCombo).text;
}

std::optional<std::string> Scenario::ScriptFile(const std::string& file) const {
    const std::filesystem::path path = std::filesystem::path("Scripts") / file;
    if (!folder.Exists(path)) {
        return std::nullopt;
    }
    return folder.Read(path);
}

std::optional<std::string> Scenario::Settings() const {
    if (!folder.Exists("settings.ini")) {
        return std::nullopt;
    }
    return folder.Read("settings.ini");
}

void Scenario::RemoveSettings() {
    std::filesystem::remove(folder.Path() / "settings.ini");
}

Lines Scenario::Injected(std::int64_t from, std::int64_t to) const {
    Lines lines;
    for (const auto& action : sim.Log()) {
        if (action.timeMs >= from && action.timeMs < to) {
            lines.push_back(Describe(action));
        }
    }
    return lines;
}

std::vector<std::int64_t> Scenario::Times(sim::InjectedAction::Kind kind, int code) const {
    std::vector<std::int64_t> times;
    for (const auto& action : sim.Log()) {
        if (action.kind == kind && action.code == code) {
            times.push_back(action.timeMs);
        }
    }
    return times;
}

} // namespace keyweave::scenario
