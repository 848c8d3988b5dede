#pragma once

#include "platform/keyboard_device.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace keyweave::gtk {

// An X keysym (29 bits), kept without the X headers so that the table stays a plain value.
using Keysym = std::uint32_t;

// The X keysyms that stand for a Windows virtual-key code, the one to inject first. Empty for a
// code that no key has. Left and right modifiers keep their own codes (160 to 165); the
// side-neutral codes 16, 17 and 18 stand for either side.
std::span<const Keysym> KeysymsOf(int virtualKey);

// A keyboard mapping as XGetKeyboardMapping gives it: `keysymsPerKeycode` keysyms for each
// keycode from `minKeycode` on, 0 where a position has no keysym; and the XKB names of the
// physical keys ("AC01", "RALT"), one for each keycode from `minKeycode` on, "" for none
// (empty without XKB).
struct KeyboardMapping {
    int minKeycode = 8;
    int keysymsPerKeycode = 0;
    std::vector<Keysym> keysyms;
    std::vector<std::string> keyNames;
};

// Virtual-key codes to keycodes and back, for one keyboard mapping. Only the first group's
// plain and shifted keysyms count, so that a letter's key is found by its lower-case keysym and
// a key is not mistaken for another layout's symbol. As on Windows, where a key's code does not
// depend on the layout's script, two kinds of keys are found by their place instead: right Alt
// is the physical key named RALT, also where the layout makes it AltGr; and on a layout whose
// first group has no Latin letters (or no digits) at all, the letters (or digits) are the keys
// that carry them on the US layout.
class VirtualKeyMap {
public:
    VirtualKeyMap() = default;
    explicit VirtualKeyMap(const KeyboardMapping& mapping);

    // The keycode that types this virtual key, preferring a key that has the keysym unshifted,
    // then the lowest keycode; 0 when no key has it.
    int KeycodeOf(int virtualKey) const;

    // The virtual keys among codes 32..255 that the held keycodes stand for.
    KeySet HeldKeys(const std::bitset<256>& keycodesDown) const;

    // The one virtual key that a press of this keycode stands for, codes below 32 included: a
    // modifier's own side (160 to 165) rather than the side-neutral 16, 17 or 18, otherwise
    // the lowest code the key has; 0 when it has none.
    int VirtualKeyOf(int keycode) const;

private:
    void FindByKeysyms(const KeyboardMapping& mapping);
    void FindByKeyNames(const KeyboardMapping& mapping);
    // Makes the key with this XKB name the only one of the virtual key; nothing when no key
    // has the name.
    void PlaceOnNamedKey(const KeyboardMapping& mapping, int virtualKey, std::string_view name);

    std::array<std::uint8_t, 256> keycodeOf_{};
    std::array<KeySet, 256> keysOf_{};
};

} // namespace keyweave::gtk
