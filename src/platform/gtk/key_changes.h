#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <deque>

namespace keyweave::gtk {

// The held keycodes as the key events report them, handed to the keyboard poll in the order
// the events arrived, at most one change of each key per take: a press and release that fall
// between two polls are held at the next poll and released at the one after, and a release
// and press again are released at one and held at the next, so that no press is lost however
// the polls fall. Changes of different keys keep their order.
class KeyChanges {
public:
    // A backlog longer than this (a flood no user makes) loses its oldest changes.
    static constexpr std::size_t kMaxWaiting = 256;

    // The keys held now, with no change waiting.
    void Seed(const std::bitset<256>& held);

    // A key event; one that changes nothing (a press of a held key) is left out.
    void Press(int keycode);
    void Release(int keycode);

    // The keycodes held as of the changes taken now.
    std::bitset<256> Take();

    // Whether changes wait for the next take: the poll after it sees them.
    bool Waiting() const { return !waiting_.empty(); }

private:
    struct Change {
        std::uint8_t keycode;
        bool down;
    };

    void Arrive(int keycode, bool down);

    std::bitset<256> arrived_;
    std::bitset<256> taken_;
    std::deque<Change> waiting_;
};

} // namespace keyweave::gtk
