#pragma once

#include <bitset>

namespace keyweave {

// Virtual-key codes 0..255 (Windows numbering, the vocabulary of scripts and settings.ini).
using KeySet = std::bitset<256>;

// The system-wide keyboard: which keys are held now, and synthetic key transitions.
class KeyboardDevice {
public:
    virtual ~KeyboardDevice() = default;

    // The keys among codes 32..255 that are held at this moment, whatever window has the
    // focus, injected presses included. Bits outside 32..255 are never set. A platform that
    // learns of presses as events also counts a key pressed since the previous call, even
    // when it was released again, so that a tap between two polls is seen once.
    virtual KeySet HeldKeys() = 0;

    // HeldKeys() among `codes` alone: the other codes are never set. A platform where every
    // key asked costs a round trip asks only these.
    virtual KeySet HeldKeysAmong(const KeySet& codes) { return HeldKeys() & codes; }

    // Sends one press or release of the key with this virtual-key code (0..255) to the
    // focused application. A code that no key has sends nothing.
    virtual void SendKey(int code, bool down) = 0;

    // The Start/Stop combination, told at start and whenever it may have changed (empty: none
    // bound). A platform that sees keys only in the program's own window can ask the desktop to
    // report the combination from everywhere; while the desktop reports it pressed, HeldKeys
    // counts its keys. Nothing by default.
    virtual void BindCombination(const KeySet& keys) { static_cast<void>(keys); }
};

} // namespace keyweave
