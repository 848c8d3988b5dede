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

namespace keyweave::wayland {

// The program's own connection to the Wayland compositor, beside GTK's, for keyboard and mouse
// input: the seat, the outputs, the virtual keyboard and pointer managers, and the keymap that
// the compositor sends to the seat's keyboard. Requests wait in its buffer until the loop
// pauses or pumps (Flush). A Wayland client sees no other client's keys: the keys pressed in
// the program's own window reach it as GDK events, and it keeps them here in the order they
// came, for the keyboard poll.
class WaylandConnection final : public gtk::LoopInput {
public:
    // Connects to the compositor that WAYLAND_DISPLAY names and learns its globals, the seat's
    // capabilities, the outputs and the keymap; throws std::runtime_error when it cannot.
    WaylandConnection();
    ~WaylandConnection() override;
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    // The protocols among the two virtual-input ones and a seat that the compositor lacks,
    // named for a message; empty when it offers them all.
    std::vector<std::string> Missing() const;

    wl_display* Display() const { return display_; }
    wl_seat* Seat() const { return seat_; }
    zwp_virtual_keyboard_manager_v1* KeyboardManager() const { return keyboardManager_; }
    zwlr_virtual_pointer_manager_v1* PointerManager() const { return pointerManager_; }
    const std::vector<Output>& Outputs() const { return outputs_; }

    // The text of the last keymap that the compositor sent (XKB v1); none while the seat has
    // no keyboard.
    const std::optional<std::string>& Keymap() const { return keymap_; }

    int Fd() const override;

    // Reads and handles whatever has arrived, without waiting.
    void Drain() override;

    // Sends every request and waits until the compositor has handled them.
    void Roundtrip();

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
    void SeatCapabilities(std::uint32_t capabilities);
    void KeymapArrived(std::uint32_t format, int fd, std::uint32_t size);
    Output& OutputOf(wl_output* output);

private:
    wl_display* display_ = nullptr;
    wl_registry* registry_ = nullptr;
    wl_seat* seat_ = nullptr;
    wl_keyboard* keyboard_ = nullptr;
    zwp_virtual_keyboard_manager_v1* keyboardManager_ = nullptr;
    zwlr_virtual_pointer_manager_v1* pointerManager_ = nullptr;
    std::vector<wl_output*> outputObjects_;
    std::vector<Output> outputs_;
    std::optional<std::string> keymap_;
    gtk::KeyChanges windowKeys_;
    std::bitset<256> windowDown_;
};

} // namespace keyweave::wayland
