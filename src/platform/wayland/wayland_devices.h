#pragma once

#include "platform/gtk/portal_shortcut.h"
#include "platform/keyboard_device.h"
#include "platform/loop/turn_clock.h"
#include "platform/mouse_device.h"
#include "platform/wayland/wayland_connection.h"
#include "platform/wayland/wayland_keymap.h"

#include <array>
#include <bitset>
#include <memory>

struct zwp_virtual_keyboard_v1;
struct zwlr_virtual_pointer_v1;

namespace keyweave::wayland {

// Requests stay in the connection's buffer until the main thread next pauses or pumps, as on
// X11: the system driver flushes them then.

// A virtual keyboard of the seat, made once at start with the user's keymap and kept: a client
// that sees a new keyboard appear loses the keys sent before it has listened to it. A poll
// sees the keys that the program holds itself, those pressed in its own window, and the
// Start/Stop combination while the desktop's shortcut for it is pressed; a Wayland client sees
// no other.
class WaylandKeyboard final : public gtk::ShortcutKeyboard {
public:
    WaylandKeyboard(WaylandConnection& connection, TurnClock& turn, std::unique_ptr<Keymap> keymap);
    ~WaylandKeyboard() override;
    WaylandKeyboard(const WaylandKeyboard&) = delete;
    WaylandKeyboard& operator=(const WaylandKeyboard&) = delete;

    KeySet HeldKeys() override;
    // Sends the key, then the modifiers' state when the key changed it: a client reads Shift
    // and the others from that state, not from the keys. A key goes up by the key it went
    // down with, whatever keymap came meanwhile.
    void SendKey(int code, bool down) override;

    const Keymap& KeymapInUse() const { return *keymap_; }
    // The user's keymap changed: the key table's codes find their keys in `keymap` from now
    // on, and the same virtual keyboard takes it. The keys held stay down, as the compositor
    // keeps them across a new keymap.
    void UseKeymap(std::unique_ptr<Keymap> keymap);
    // Goes on with a new virtual keyboard on `connection`, after the connection before broke.
    void MoveTo(WaylandConnection& connection);

private:
    void ShortcutKey(int code, bool down) override;
    // Makes the virtual keyboard on the connection and gives it the keymap.
    void MakeVirtualKeyboard();
    void UploadKeymap();
    void SendModifiers(const Keymap::Modifiers& modifiers);

    WaylandConnection* connection_;
    TurnClock& turn_;
    std::unique_ptr<Keymap> keymap_;
    zwp_virtual_keyboard_v1* keyboard_ = nullptr;
    std::bitset<256> sentDown_;
    // The keycode that each of the key table's codes went down with; 0 while it is up.
    std::array<std::uint8_t, 256> pressedWith_{};
    Keymap::Modifiers modifiers_;
};

// A virtual pointer of the seat. A Wayland client cannot read the pointer's position: the
// position is the last one the program moved it to ((0, 0) before the first move). Moves are
// absolute over the outputs' layout as it is at the move, counted from the primary output's
// corner.
class WaylandMouse final : public MouseDevice {
public:
    WaylandMouse(WaylandConnection& connection, TurnClock& turn);
    ~WaylandMouse() override;
    WaylandMouse(const WaylandMouse&) = delete;
    WaylandMouse& operator=(const WaylandMouse&) = delete;

    ScreenPoint CursorPos() override { return position_; }
    void MoveCursor(int x, int y) override;
    void SendButton(int button, bool down) override;

    // Goes on with a new virtual pointer on `connection`, after the connection before broke.
    void MoveTo(WaylandConnection& connection);

private:
    WaylandConnection* connection_;
    TurnClock& turn_;
    zwlr_virtual_pointer_v1* pointer_ = nullptr;
    ScreenPoint position_;
};

// The millisecond time stamp of an input request, on the monotonic clock.
std::uint32_t RequestTime();

} // namespace keyweave::wayland
