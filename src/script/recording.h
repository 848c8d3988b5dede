#pragma once

#include "script/command.h"

#include <cstdint>
#include <vector>

namespace keyweave {

// One thing the user did while a recording was made.
struct RecordedAction {
    double timeMs = 0; // since the recording began
    // PressKey, ReleaseKey, PressButton, ReleaseButton or MoveCursor.
    Operation operation = Operation::None;
    std::int32_t code = 0; // the key's or the button's code
    std::int32_t x = 0;    // buttons: the cursor's pixel at that moment; MoveCursor: where it went
    std::int32_t y = 0;
};

// What a recording holds: the user's actions in the order in which they happened, and the
// time from its start to the press of the Start/Stop keys that ended it.
struct Recording {
    std::vector<RecordedAction> actions;
    double lengthMs = 0;
};

// The commands that replay a recording as it was done, by the player's timing rules
// (script/timing.h):
// - the key and button events in their order, each button on its pixel: the cursor is moved
//   there right before it, early enough for the button to keep its time;
// - every gap of 5 ms or more between two of them as it was recorded, and never more than a
//   millisecond off where fractions of milliseconds must be rounded or the replay has fallen
//   behind; shorter gaps as consecutive commands, one turn apart;
// - the cursor's path while it moves, one position every 10 ms at most, the last one before it
//   rests always; positions with no room before the next event are left out;
// - a last wait, so that a repeating replay starts over when the recording was ended.
CommandList TranscribeRecording(const Recording& recording);

} // namespace keyweave
