#pragma once

#include "platform/gtk/key_changes.h"
#include "platform/gtk/loop_input.h"
#include "platform/gtk/virtual_keys.h"

#include <bitset>
#include <chrono>
#include <string>
#include <vector>

typedef struct _XDisplay Display;

namespace keyweave::x11 {

// The program's own Xlib connection for keyboard and mouse input. It keeps which keycodes are
// held from XInput 2 raw key events on the root window, which report every key press and
// release of the server (XTest ones of any client included) whatever window has the focus.
// A poll makes no system call: the events are read when the connection is seen readable, by
// the main context's source for it. It is seeded once from XQueryKeymap. Without XInput 2.1 it
// asks XQueryKeymap on every poll instead. The virtual-key map follows changes of the keyboard
// mapping (XKB map notifications, or core MappingNotify without XKB). While the recorder
// watches, raw button and motion events arrive on it too, so that they end the loop's pause.
class InputConnection final : public gtk::LoopInput {
public:
    // Opens the display; throws std::runtime_error when it cannot.
    explicit InputConnection(const std::string& displayName);
    ~InputConnection() override;
    InputConnection(const InputConnection&) = delete;
    InputConnection& operator=(const InputConnection&) = delete;

    Display* Get() const { return display_; }
    int Fd() const override;

    // Handles every event that has arrived, without waiting: raw key events update the held
    // keycodes, a keyboard mapping change reloads the virtual-key map.
    void Drain() override;

    // Handles the events that Xlib holds already, without reading the socket: a round trip on
    // the connection queues what arrived before its reply. What arrives on the socket itself is
    // drained by whoever sees it readable (the main context's source for it, the pause). With
    // no raw events it asks XQueryKeymap instead.
    void HandleQueued();

    // Whether every key press and release arrives as an event (XInput 2.1 raw events); else
    // only a poll sees them.
    bool ReportsKeyChanges() const override { return rawEvents_; }

    // Makes raw button and motion events arrive besides the key events, or no longer, so that
    // a press or release of a button and a move of the pointer end the loop's pause as a key
    // does.
    void ReportPointerChanges(bool report);

    // Whether Drain has handled a raw key, button or motion event since the previous call.
    bool TakeInputArrived();

    // Whether an event has arrived that Drain has not handled yet. It reads what the socket
    // holds, so that a poll of Fd() afterwards sees only what arrives later.
    bool EventsWaiting() const override;

    // The keycodes held, as of the key changes handled so far, at most one change of each key
    // per take (KeyChanges): a press and release that both fall between two polls are held at
    // the next one and released at the one after. Without XInput 2.1 those XQueryKeymap gave.
    std::bitset<256> TakeKeycodesHeld();

    // Whether key changes wait that the last take left for the next: the next poll sees them,
    // so the loop must not sleep until a key changes.
    bool ChangesWaiting() const override { return held_.Waiting(); }
    // A key that the desktop reports pressed or released through its shortcut for the Start/Stop
    // combination (the portal's): the X server saw nothing of it. Taken in order with the
    // events.
    void DesktopKey(int keycode, bool down);
    const gtk::VirtualKeyMap& Keys() const { return keys_; }

    // XTest input, buffered until the next Flush: a key by its keycode, the pointer onto a
    // pixel of the root window, an X button.
    void FakeKey(int keycode, bool down);
    void FakeMotion(int x, int y);
    void FakeButton(int button, bool down);

    // Sends the injected input that is still buffered, without waiting for the server; nothing
    // when there is none (Xlib's flush also reads the socket).
    void Flush() override;

    // Sends every request and waits until the server has handled them.
    void Sync();

    // Replaces a connection that broke with a new one to the same display, for injection only
    // (no events are selected on it); false when none can be opened, as when the server has
    // gone. The broken one is left unclosed: closing it would talk to the server again.
    bool Reopen();

private:
    void SelectRawKeyEvents();
    void SelectRawEvents(bool pointerToo);
    void SelectMappingEvents();
    void LoadKeyboardMapping();
    // The XKB names of the keycodes from min to max; empty without XKB.
    std::vector<std::string> KeyNames(int minKeycode, int maxKeycode) const;
    void QueryKeymap();

    std::string displayName_;
    Display* display_ = nullptr;
    int xinputOpcode_ = -1;
    int xkbEventBase_ = -1;
    bool rawEvents_ = false;
    bool inputArrived_ = false;
    bool unsent_ = false;
    gtk::KeyChanges held_;
    gtk::VirtualKeyMap keys_;
};

} // namespace keyweave::x11
