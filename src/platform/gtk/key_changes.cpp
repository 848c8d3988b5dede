#include "platform/gtk/key_changes.h"

namespace keyweave::gtk {

void KeyChanges::Seed(const std::bitset<256>& held) {
    arrived_ = held;
    taken_ = held;
    waiting_.clear();
}

void KeyChanges::Press(int keycode) {
    Arrive(keycode, true);
}

void KeyChanges::Release(int keycode) {
    Arrive(keycode, false);
}

void KeyChanges::Arrive(int keycode, bool down) {
    if (keycode < 0 || keycode >= 256 || arrived_.test(keycode) == down) {
        return;
    }
    arrived_.set(keycode, down);
    waiting_.push_back({static_cast<std::uint8_t>(keycode), down});
    if (waiting_.size() > kMaxWaiting) {
        taken_.set(waiting_.front().keycode, waiting_.front().down);
        waiting_.pop_front();
    }
}

std::bitset<256> KeyChanges::Take() {
    std::bitset<256> changed;
    while (!waiting_.empty() && !changed.test(waiting_.front().keycode)) {
        const Change change = waiting_.front();
        waiting_.pop_front();
        taken_.set(change.keycode, change.down);
        changed.set(change.keycode);
    }
    return taken_;
}

} // namespace keyweave::gtk
