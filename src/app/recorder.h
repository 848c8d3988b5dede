#pragma once

#include <memory>

namespace keyweave {

class InputCapture;

// The script recorder: "Record Script" arms it, the Start/Stop keys start and end a recording
// in whatever program has the focus, and the recording becomes a new script of the library,
// selected and shown. No script plays from the arming to the end.
class TRecorder {
public:
    // The "Record Script" button: arms the recorder, or cancels the recording under way.
    static int Toggle();
    // Ends a recording under way without writing anything.
    static int Cancel();
    // Whether the Start/Stop keys start and end recordings this turn rather than scripts: from
    // the arming until the keyboard poll, too, has seen them let go after the end.
    static bool HasTheStartStopKeys();
    // One turn while it has them: the watched input up to now, and the end when it came.
    static int Update();
};

// The recorder's share of the program-wide state.
struct RecorderState {
    std::shared_ptr<InputCapture> capture; // armed or recording
    // Ended; the keyboard poll may still see one of the Start/Stop keys held, whose release
    // would otherwise start the new script.
    bool settling = false;
};

} // namespace keyweave
