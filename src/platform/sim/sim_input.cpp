#include "platform/sim/sim_input.h"

#include <algorithm>

namespace keyweave::sim {

namespace {

// Codes below 32 are not keys of the program's table and are never reported held.
constexpr int kFirstReportedKey = 32;

bool IsSentButton(int button) {
    return button == 1 || button == 2;
}

} // namespace

// Polled on every turn of the main loop: the low codes are cleared by shifting, in two steps.
KeySet SimKeyboard::HeldKeys() {
    return (keys_ >> kFirstReportedKey) << kFirstReportedKey;
}

void SimKeyboard::SendKey(int code, bool down) {
    turn_.Sending();
    keys_.set(static_cast<std::size_t>(code & 0xFF), down);
    log_.push_back({clock_.Now(), down ? InjectedAction::KeyDown : InjectedAction::KeyUp, code});
}

void SimKeyboard::SetHeld(int code, bool down) {
    if (code < 0 || code >= static_cast<int>(keys_.size())) {
        throw std::out_of_range("key code out of range");
    }
    keys_.set(static_cast<std::size_t>(code), down);
}

bool SimKeyboard::IsDown(int code) const {
    return code >= 0 && code < static_cast<int>(keys_.size()) &&
           keys_.test(static_cast<std::size_t>(code));
}

SimMouse::SimMouse(const SimClock& clock, TurnClock& turn, InjectionLog& log, ScreenSize desktop)
    : clock_(clock), turn_(turn), log_(log),
      desktop_(desktop), cursor_{desktop.width / 2, desktop.height / 2} {}

void SimMouse::MoveCursor(int x, int y) {
    const ScreenPoint target = OnScreen(x, y);
    const bool moved = target.x != cursor_.x || target.y != cursor_.y;
    turn_.Sending();
    cursor_ = target;
    InjectedAction move{clock_.Now(), InjectedAction::Move};
    move.x = x;
    move.y = y;
    move.moved = moved;
    log_.push_back(move);
}

void SimMouse::SendButton(int button, bool down) {
    if (!IsSentButton(button)) {
        return;
    }
    turn_.Sending();
    buttons_[button - 1] = down;
    log_.push_back(
        {clock_.Now(), down ? InjectedAction::MouseDown : InjectedAction::MouseUp, button});
}

void SimMouse::MoveByUser(int x, int y) {
    cursor_ = OnScreen(x, y);
}

void SimMouse::SetButtonByUser(int button, bool down) {
    if (IsSentButton(button)) {
        buttons_[button - 1] = down;
    }
}

bool SimMouse::IsButtonDown(int button) const {
    return IsSentButton(button) && buttons_[button - 1];
}

ScreenPoint SimMouse::OnScreen(int x, int y) const {
    return {std::clamp(x, 0, std::max(desktop_.width - 1, 0)),
            std::clamp(y, 0, std::max(desktop_.height - 1, 0))};
}

} // namespace keyweave::sim
