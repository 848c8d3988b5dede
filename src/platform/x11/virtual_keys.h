#pragma once

#include "platform/keyboard_device.h"

#include <array>
#include <bitset>
#include <cstdint>
#include <span>
#include <vector>

namespace keyweave::x11 {

// An X keysym (29 bits), kept without the X headers so that the table stays a plain value.
using Keysym = std::uint32_t;

// The X keysyms that stand for a Windows virtual-key code, the one to inject first. Empty for a
// code that no key has. Left and right modifiers keep their own codes (160 to 165); the
// side-neutral codes 16, 17 and 18 stand for either side.
std::span<const Keysym> KeysymsOf(int virtualKey);

// A keyboard mapping as XGetKeyboardMapping gives it: `keysymsPerKeycode` keysyms for each
// keycode from `minKeycode` on, 0 where a position has no keysym.
struct KeyboardMapping {
    int minKeycode = 8;
    int keysymsPerKeycode = 0;
    std::vector<Keysym> keysyms;
};

// Virtual-key codes to keycodes and back, for one keyboard mapping. Only the first group's
// plain and shifted keysyms count, so that a letter's key is found by its lower-case keysym and
// a key is not mistaken for another layout's symbol.
class VirtualKeyMap {
public:
    VirtualKeyMap() = default;
    explicit VirtualKeyMap(const KeyboardMapping& mapping);

    // The keycode that types this virtual key, preferring a key that has the keysym unshifted,
    // then the lowest keycode; 0 when no key has it.
    int KeycodeOf(int virtualKey) const;

    // The virtual keys among codes 32..255 that the held keycodes stand for.
    KeySet HeldKeys(const std::bitset<256>& keycodesDown) const;

private:
    std::array<std::uint8_t, 256> keycodeOf_{};
    std::array<KeySet, 256> keysOf_{};
};

} // namespace keyweave::x11
