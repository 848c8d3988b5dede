#pragma once

#include "script/command.h"

#include <string>

namespace keyweave {

// Where a recording was written: "Recording 3.ini" of the Scripts folder, number 3; number 0
// when it could not be written.
struct SavedRecording {
    int number = 0;
    std::u16string fileName;
};

// Writes a new script file Scripts\Recording N.ini for the commands, N the first number from 1
// that no file or folder of the Scripts folder has, which is made when it is missing: the
// header line, the name line "{Recording N", then one statement line per command, each line
// ending in CR LF. Never writes over anything; a file that could not be written whole is
// removed again.
SavedRecording SaveRecording(const CommandList& commands);

} // namespace keyweave
