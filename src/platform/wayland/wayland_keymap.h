#pragma once

#include "platform/gtk/virtual_keys.h"

#include <cstdint>
#include <memory>
#include <string>

struct xkb_context;
struct xkb_keymap;
struct xkb_state;

namespace keyweave::wayland {

// An XKB keymap with the state of its modifiers, for a virtual keyboard that presses its keys:
// the key table's codes find their keys as on X11 (the first layout's unshifted and shifted
// keysyms, and the keys' names), and each press or release updates the modifiers that the
// compositor must be told of.
class Keymap {
public:
    // Compiles the keymap text (XKB v1); throws std::runtime_error when it cannot.
    explicit Keymap(const std::string& text);
    // The keymap of the system's defaults (XKB_DEFAULT_LAYOUT and the like, else US).
    Keymap();
    ~Keymap();
    Keymap(const Keymap&) = delete;
    Keymap& operator=(const Keymap&) = delete;

    // The keymap as text, to hand to the compositor.
    const std::string& Text() const { return text_; }
    const gtk::VirtualKeyMap& Keys() const { return keys_; }

    struct Modifiers {
        std::uint32_t depressed = 0;
        std::uint32_t latched = 0;
        std::uint32_t locked = 0;
        std::uint32_t group = 0;
        bool operator==(const Modifiers&) const = default;
    };

    // Whether the key table finds a key for every letter and digit in it, as in every layout
    // of a keyboard; the keymap that a tool makes for its virtual keyboard holds only the keys
    // it types (wtype's does).
    bool IsALayout() const;

    // The key (an XKB keycode) that has this keysym on its first layout's first or second
    // level, the lowest such keycode; 0 when none has it.
    int KeycodeOf(gtk::Keysym keysym) const;

    // A key (an XKB keycode) pressed or released; the modifiers' state afterwards.
    Modifiers Press(int keycode, bool down);

private:
    void Load(xkb_keymap* keymap);

    std::unique_ptr<xkb_context, void (*)(xkb_context*)> context_;
    xkb_keymap* keymap_ = nullptr;
    xkb_state* state_ = nullptr;
    std::string text_;
    gtk::KeyboardMapping mapping_;
    gtk::VirtualKeyMap keys_;
};

// The keyboard mapping of a keymap as the key table's map reads it: two keysyms (the first
// layout's first two levels) and the name of each keycode.
gtk::KeyboardMapping MappingOf(xkb_keymap* keymap);

} // namespace keyweave::wayland
