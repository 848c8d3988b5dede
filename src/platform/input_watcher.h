#pragma once

#include <vector>

namespace keyweave {

// One change of the user's keyboard or mouse, seen by the platform where it happened.
struct InputEvent {
    enum Kind { KeyDown, KeyUp, ButtonDown, ButtonUp, CursorMove };
    Kind kind = KeyDown;
    // KeyDown, KeyUp: the key's virtual-key code (Windows numbering, the key table's; left and
    // right Shift, Ctrl and Alt as 160..165). ButtonDown, ButtonUp: 1 left, 2 right, 3 middle,
    // and so on. Codes that the key table lacks may be reported; the recorder leaves them out.
    int code = 0;
    // ButtonDown, ButtonUp: the cursor's screen pixel at that moment; CursorMove: the pixel it
    // arrived at.
    int x = 0;
    int y = 0;
    // When it happened, in milliseconds on the platform's own clock, one clock for every event
    // of a watch; times never decrease. The core only subtracts them.
    double timeMs = 0;
};

// The user's input as it happens, system-wide, for the script recorder. A platform implements
// it in a few verbs over its raw input; one that cannot keeps Platform's default, which never
// watches.
//
// While watching, the main loop mostly pauses in SystemDriver::SleepUntilChange, because no
// script plays. That pause must also end as soon as an event is waiting to be taken (a cursor
// move or a button as well as a key), so that the recorder sees the Start/Stop keys at once.
// The events keep the times at which they happened, however late they are taken.
class InputWatcher {
public:
    virtual ~InputWatcher() = default;

    // Starts watching; false when the platform cannot. Events from before the call are never
    // reported.
    virtual bool BeginWatching() = 0;

    // Appends the events that happened since the previous take (or the start) to `events`, in
    // the order in which they happened. Auto-repeated key presses may be among them.
    virtual void TakeEvents(std::vector<InputEvent>& events) = 0;

    // Stops watching and drops the events not taken.
    virtual void EndWatching() = 0;
};

// The watcher of a platform that cannot watch the user's input.
class NoInputWatcher final : public InputWatcher {
public:
    bool BeginWatching() override { return false; }
    void TakeEvents(std::vector<InputEvent>&) override {}
    void EndWatching() override {}
};

} // namespace keyweave
