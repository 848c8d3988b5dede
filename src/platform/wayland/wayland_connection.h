#pragma once

#include "platform/gtk/key_changes.h"
#include "platform/gtk/loop_input.h"
#include "platform/wayland/wayland_outputs.h"

#include <bitset>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct wl_display;
struct wl_registry;
struct wl_seat;
struct wl_keyboard;
struct wl_output;
struct zwp_virtual_keyboard_manager_v1;
struct zwlr_virtual_pointer_manager_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

namespace keyweave::wayland {

// What the program does when the compositor changes what the connection learned at start, or
// ends the connection. Called after the connection handled what arrived, never from within a
// listener of the protocol, so that it may send requests and wait for the compositor.
class ConnectionFollower {
public:
    // The seat's keyboard has a keymap other than the one before (Keymap()).
    virtual void KeymapChanged() = 0;
    // An output was added, removed or changed (Outputs()).
    virtual void OutputsChanged() = 0;
    // The connection broke: the compositor ended it or has gone.
    virtual void ConnectionLost() = 0;

protected:
    ~ConnectionFollower() = default;
};

// The program's own connection to the Wayland compositor, beside GTK's, for keyboard and mouse
// input: the seat, the outputs, the virtual keyboard and pointer managers, and the keymap that
// the compositor sends to the seat's keyboard, each followed while the program runs. Requests
// wait in its buffer until the loop pauses or pumps (Flush). A Wayland client sees no other
// client's keys: the keys pressed in the program's own window reach it as GDK events, and it
// keeps them here in the order they came, for the keyboard poll.
class WaylandConnection final : public gtk::LoopInput {
public:
    // Connects to the compositor of the display `name` (as WAYLAND_DISPLAY names it) and learns
    // its globals, the seat's capabilities, the outputs and the keymap; throws
    // std::runtime_error when it cannot.
    explicit WaylandConnection(const std::string& name);
    ~WaylandConnection() override;
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    // The protocols among the two virtual-input ones and a seat that the compositor lacks,
    // named for a message; empty when it offers them all.
    std::vector<std::string> Missing() const;

    const std::string& Name() const { return name_; }
    wl_display* Display() const { return display_; }
    wl_seat* Seat() const { return seat_; }
    zwp_virtual_keyboard_manager_v1* KeyboardManager() const { return keyboardManager_; }
    zwlr_virtual_pointer_manager_v1* PointerManager() const { return pointerManager_; }
    // The outputs as the compositor last described them completely.
    const std::vector<Output>& Outputs() const { return outputs_; }

    // The text of the last keymap that the compositor sent (XKB v1); none while the seat has
    // no keyboard.
    const std::optional<std::string>& Keymap() const { return keymap_; }

    // Tells `follower` of every change and of the end of the connection from now on.
    void SetFollower(ConnectionFollower* follower);
    // Whether the connection has broken.
    bool Broken() const;

    int Fd() const override;

    // Reads and handles whatever has arrived, without waiting, then tells the follower.
    void Drain() override;

    // Sends every request and waits until the compositor has handled them; false when the
    // connection has broken.
    bool Roundtrip();

    void Flush() override;
    // Key changes of the program's window arrive as GDK events, its own as its requests.
    bool ReportsKeyChanges() const override { return true; }
    bool EventsWaiting() const override { return false; }
    bool ChangesWaiting() const override { return windowKeys_.Waiting(); }

    // A key (an XKB keycode) pressed or released in the program's window, or one of the
    // Start/Stop combination that the desktop's shortcut reports.
    void WindowKey(int keycode, bool down);
    // The window lost the keyboard focus: its keys are no longer seen, so they count as up.
    void WindowLostFocus();
    // The keycodes held in the window as of the changes taken now (gtk::KeyChanges).
    std::bitset<256> TakeWindowKeys() { return windowKeys_.Take(); }

    // Registry, seat, output and keyboard events (the protocol's listeners).
    void AddGlobal(wl_registry* registry, std::uint32_t name, const char* interface,
                   std::uint32_t version);
    void RemoveGlobal(std::uint32_t name);
    void SeatCapabilities(std::uint32_t capabilities);
    void KeymapArrived(std::uint32_t format, int fd, std::uint32_t size);
    // The description of an output that the compositor is sending, until a done ends it.
    Output& OutputOf(wl_output* output);
    Output& OutputOf(zxdg_output_v1* output);
    void OutputDone();

private:
    // One output (its registry name, its objects) and what the compositor described of it.
    struct OutputObject {
        wl_output* proxy = nullptr;
        zxdg_output_v1* logical = nullptr;
        std::uint32_t name = 0;
        Output described;
    };

    // Reads and dispatches what has arrived; false when the connection broke.
    bool ReadAndDispatch();
    // Tells the follower of the changes until none is left (following one may bring more).
    void FollowChanges();
    void TakeOutputs();
    // Asks for the logical place and size of the outputs that have none yet.
    void AskForLogicalOutputs();

    std::string name_;
    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    wl_keyboard* keyboard_ = nullptr;
    zwp_virtual_keyboard_manager_v1* keyboardManager_ = nullptr;
    zwlr_virtual_pointer_manager_v1* pointerManager_ = nullptr;
    zxdg_output_manager_v1* logicalOutputs_ = nullptr;
    std::vector<OutputObject> outputObjects_;
    std::vector<Output> outputs_;
    std::optional<std::string> keymap_;
    ConnectionFollower* follower_ = nullptr;
    bool keymapChanged_ = false;
    bool outputsChanged_ = false;
    gtk::KeyChanges windowKeys_;
    std::bitset<256> windowDown_;
};

} // namespace keyweave::wayland
