#pragma once

#include "platform/input_watcher.h"
#include "platform/mouse_device.h"
#include "platform/x11/input_connection.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace keyweave::x11 {

// A key, button or pointer event of the X server's master devices, as the RECORD extension
// reports it: the core event's type (KeyPress to MotionNotify), its keycode or button, the
// server's time of the event and where the pointer was on the root window at that moment.
struct DeviceEvent {
    int type = 0;
    int detail = 0;
    std::uint32_t serverMs = 0;
    int rootX = 0;
    int rootY = 0;
};

// The X server's time, which counts milliseconds in 32 bits, as a clock that neither wraps
// (every 49.7 days) nor goes back. It starts at the first time it is given.
class ServerClock {
public:
    double Extend(std::uint32_t serverMs);

private:
    std::optional<std::uint32_t> last_;
    double now_ = 0;
};

// What the watcher reports of a device event:
// - keys by the virtual-key code of `keys`, the map that the poll and the injection use, so
//   that a recorded key replays as the same key; a key without a code as 256 + its keycode,
//   one code per key that the recorder counts as left out;
// - X buttons 1, 3 and 2 as the left, right and middle buttons 1, 2 and 3, the side buttons 8
//   and 9 as 4 and 5, and none for the wheel's buttons 4 to 7, whose notches are not presses;
// - positions counted from `origin`, the primary monitor's top left corner;
// - times on `clock`.
std::optional<InputEvent> WatchedEvent(const DeviceEvent& event, const gtk::VirtualKeyMap& keys,
                                       ScreenPoint origin, ServerClock& clock);

// The user's keys, buttons and pointer for the recorder, as the X server handled them.
//
// Where the cursor is at each event cannot come from XInput 2 raw events: they carry no screen
// position, a warp of the pointer (xdotool's mousemove, a program moving the cursor) makes
// none, and their valuators are the device's own units: deltas for a mouse, and for XTest's
// absolute moves the requested pixel even where the server clamps it to the screen. Reading
// the pointer when the event is handled gives where the cursor is by then: measured on Xvfb
// with xdotool as the user, a press followed at once by a move (a drag) is reported on the
// pixel it moved to. The RECORD extension reports every core device event of the server with
// the root position and the server time that the event itself carries, warps included, in
// the order in which the server handled them; so the events come from there.
//
// RECORD holds what it records until the server next answers a request of some client, on a
// bare Xvfb up to hundreds of milliseconds later. While watching, the program's input
// connection also receives raw button and motion events besides the raw key events, which end
// the loop's pause; the take that follows makes a round trip on it, and that makes the server
// send what RECORD holds at once. The recorded events arrive on a connection of their own,
// whose descriptor is a source of GLib's default main context, so that they end the pause too.
class X11Watcher final : public InputWatcher {
public:
    // `origin`: the primary monitor's top left corner on the root window.
    X11Watcher(InputConnection& input, ScreenPoint origin) : input_(input), origin_(origin) {}
    ~X11Watcher() override;
    X11Watcher(const X11Watcher&) = delete;
    X11Watcher& operator=(const X11Watcher&) = delete;

    // False without XInput 2.1 raw events or the RECORD extension. Returns once the server
    // records, so every event after the call is reported.
    bool BeginWatching() override;
    void TakeEvents(std::vector<InputEvent>& events) override;
    void EndWatching() override;

private:
    friend struct RecordedData;

    bool StartRecording();

    InputConnection& input_;
    ScreenPoint origin_;
    Display* recorded_ = nullptr; // the connection on which the recorded events arrive
    unsigned long context_ = 0;   // the RECORD context, made on the input connection
    unsigned recordedWatch_ = 0;  // the GLib source of the recorded connection's descriptor
    bool started_ = false;        // the server has begun to record
    ServerClock clock_;
    std::vector<InputEvent> events_;
};

} // namespace keyweave::x11
