#pragma once

#include "support/journey.h"
#include "support/program_run.h"

#include <chrono>
#include <string>
#include <vector>

namespace keyweave::testing {

// The steps of a journey that every desktop takes alike: the program's texts and buttons on
// the accessibility bus, its message boxes, its settings file, signals, exit and output. A
// desktop's runner supplies what differs: how the user presses keys and closes the window, how
// the script is started and what it holds is seen, and any step of its own.
class JourneySteps {
public:
    explicit JourneySteps(Journey journey) : journey_(std::move(journey)) {}
    virtual ~JourneySteps() = default;

protected:
    // Takes every step on `run`, up to the first fatal failure.
    void TakeSteps(x11test::ProgramRun& run);

    virtual void Start() = 0;
    virtual void ExpectStillHeld() = 0;
    virtual void ExpectReleased() = 0;
    virtual void Close() = 0;
    // The user holds these keys (keysym names) down together for `length`.
    virtual void UserHolds(const std::vector<std::string>& keysyms,
                           std::chrono::milliseconds length) = 0;
    // Where the script's buttons go down: the pointer rests there before a start.
    virtual void RestThePointer() = 0;
    // A step of this desktop's own; false when it has none of that name.
    virtual bool TakeOwn(const Journey::Step&) { return false; }

    static std::vector<std::string> Keysyms(const std::vector<std::string>& names);

    Journey journey_;
    x11test::ProgramRun* run_ = nullptr;

private:
    void Take(const Journey::Step& step);
    void DismissMessageBox();
    void ExpectSaved(const std::string& text);
    // Another process of the program's folder asks the running program, as `keyweave ARGS`
    // run in its folder; the script's buttons go down where they do after `start`.
    void RunRequest(const std::vector<std::string>& words);
};

} // namespace keyweave::testing
