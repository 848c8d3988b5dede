#pragma once

#include "platform/sim/sim_platform.h"
#include "support/temp_folder.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace keyweave::scenario {

// Virtual-key codes the journeys use.
inline constexpr int kA = 65;
inline constexpr int kB = 66;
inline constexpr int kF1 = 112;
inline constexpr int kF2 = 113;
inline constexpr int kLeftShift = 160;
inline constexpr int kLeftCtrl = 162;

using Lines = std::vector<std::string>;

// The whole program on the simulated platform, in a folder of its own that is the current
// directory: the real start-up, then main-loop turns up to given virtual times, with the user's
// actions in between.
class Scenario {
public:
    explicit Scenario(ScreenSize desktop = {1024, 768});
    ~Scenario();

    // Before Start: the program's folder.
    // A script file in Scripts\: the header, the name line and the statements, with CR LF.
    void AddScript(const std::string& file, const std::string& name, const Lines& statements);
    void WriteSettings(const std::string& bytes);

    // The start-up. Message boxes are dismissed at once.
    void Start();
    // The same on a platform that cannot watch the user's input, as Platform is by default.
    void StartWithoutWatcher();
    // The settings and one script written, the start-up, and that script chosen.
    void StartWithScript(const std::string& settings, const std::string& file,
                         const std::string& name, const Lines& statements);

    // Turns of the main loop until the virtual time is at least `ms`, or the program ended.
    void RunUntil(std::int64_t ms);
    std::int64_t Now() const { return sim.Now(); }

    // The user.
    void Hold(int code);
    void Release(int code);
    void MoveMouse(int x, int y);
    // Button 1 (left) or 2 (right), pressed or released where the cursor is.
    void PressMouse(int button);
    void ReleaseMouse(int button);
    void Click(const GadgetRef& button);
    void PickScript(const std::u16string& name);
    void PickItem(int index);
    void UseCloseBox();
    // Holds the keys from now, releases them `holdMs` later, and runs until then.
    void Tap(std::initializer_list<int> codes, int holdMs = 60);
    // The user's actions at their virtual times, in the words of Injected(): "1163 KeyDown 65",
    // "1165 KeyUp 65", "1200 Move 10 20", "1203 MouseDown 1" and "MouseUp" (where the cursor
    // is), with turns of the main loop in between; the turn before an action is cut short
    // where it would pass the action's time. A line that says anything else throws.
    void Perform(const Lines& timeline);

    // What the user sees.
    std::u16string Status() const;
    std::u16string BindLabel() const;
    std::u16string BindButton() const;
    std::u16string ViewText() const;
    std::vector<sim::SimGadget::Run> ViewColours() const;
    std::vector<std::u16string> ComboItems() const;
    int ComboCurrent() const;
    std::u16string ComboText() const;

    // The bytes of a file of Scripts, or nothing when there is none.
    std::optional<std::string> ScriptFile(const std::string& file) const;

    // The settings file's bytes, or nothing when there is no file.
    std::optional<std::string> Settings() const;
    void RemoveSettings();

    // The synthetic input, one line per action, "1060 KeyDown 65", "1062 Move 10 20", from
    // the virtual time `from` to before `to`.
    Lines Injected(std::int64_t from = 0,
                   std::int64_t to = std::numeric_limits<std::int64_t>::max()) const;
    // Times of the actions of one kind and code.
    std::vector<std::int64_t> Times(sim::InjectedAction::Kind kind, int code) const;

    // Set once the program has ended.
    std::optional<int> exitStatus;

    testing::WorkingFolder folder;
    sim::SimPlatform sim;

private:
    std::unique_ptr<Platform> withoutWatcher_;
};

} // namespace keyweave::scenario
