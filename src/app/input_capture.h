#pragma once

#include "input/key.h"
#include "platform/input_watcher.h"
#include "script/recording.h"

#include <map>
#include <set>
#include <vector>

namespace keyweave {

// What a recording keeps of the user's input, taken from the watcher's events: everything
// from the release of the Start/Stop keys that starts it to their release that ends it,
// except
// - the Start/Stop keys' own presses and releases that start and end it,
// - auto-repeated presses, and releases of what was held before it began,
// - keys and buttons that the key table lacks, which are counted;
// and at the end, a release of every key and button still held.
class InputCapture {
public:
    // `binding`: the Start/Stop keys; `held`: the keys held now, as the keyboard poll saw them.
    InputCapture(const KeyList& binding, const KeyList& held);

    // Takes events in the order in which they happened; none after the end.
    void Take(const std::vector<InputEvent>& events);

    bool HasStarted() const { return phase_ != Phase::Armed; }
    bool HasEnded() const { return phase_ == Phase::Ended; }

    // After the end: what was recorded, times counted from the start.
    const Recording& Result() const { return recording_; }
    // Presses of keys and buttons outside the key table.
    int LeftOut() const { return leftOut_; }

private:
    enum class Phase { Armed, Recording, Ended };

    void TakeKey(const InputEvent& event, bool down);
    void KeepKey(const InputEvent& event, bool down);
    void TakeButton(const InputEvent& event, bool down);
    void WatchTheCombination(double time);
    void DropTheCombination(double time);
    void End();
    void Keep(const InputEvent& event, Operation operation);
    bool AllBoundHeld() const;
    bool NoneBoundHeld() const;

    std::set<int> bound_;       // the codes of the Start/Stop keys
    std::set<int> keysDown_;    // every key code held, table or not
    std::set<int> buttonsDown_; // every button held
    bool combinationHeld_ = false;
    Phase phase_ = Phase::Armed;
    double start_ = 0;    // the watcher's time of the release that started it
    double endPress_ = 0; // since the start: the first press of the hold that ended it
    // Presses kept and not yet released: code to the index of the press in the recording.
    std::map<int, std::size_t> openKeys_;
    std::map<int, std::size_t> openButtons_;
    InputEvent lastCursor_; // the latest event that told where the cursor is
    int leftOut_ = 0;
    Recording recording_;
};

} // namespace keyweave
