#pragma once

#include "platform/gadget_driver.h"
#include "platform/keyboard_device.h"
#include "platform/loop/turn_clock.h"
#include "platform/mouse_device.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_platform.h"

#include <vector>

namespace keyweave::sim {

using InjectionLog = std::vector<InjectedAction>;

// One key state for the user's keys and injected ones, as on Windows.
class SimKeyboard final : public KeyboardDevice {
public:
    SimKeyboard(const SimClock& clock, TurnClock& turn, InjectionLog& log)
        : clock_(clock), turn_(turn), log_(log) {}

    KeySet HeldKeys() override;
    // Sets the state of the low 8 bits of `code` and logs the code as given.
    void SendKey(int code, bool down) override;

    void BindCombination(const KeySet& keys) override { bound_ = keys; }
    // The combination the program told of last.
    const KeySet& Bound() const { return bound_; }

    // The user's keys; codes outside 0..255 throw std::out_of_range.
    void SetHeld(int code, bool down);
    bool IsDown(int code) const;

private:
    const SimClock& clock_;
    TurnClock& turn_;
    InjectionLog& log_;
    KeySet keys_;
    KeySet bound_;
};

// The cursor on a desktop of a fixed size, and the left and right buttons.
class SimMouse final : public MouseDevice {
public:
    SimMouse(const SimClock& clock, TurnClock& turn, InjectionLog& log, ScreenSize desktop);

    ScreenPoint CursorPos() override { return cursor_; }
    // Clamps to the screen, as a real screen does, and logs the requested pixel.
    void MoveCursor(int x, int y) override;
    // Buttons 1 and 2 only; the program sends no others.
    void SendButton(int button, bool down) override;

    void MoveByUser(int x, int y);
    void SetButtonByUser(int button, bool down);
    bool IsButtonDown(int button) const;

private:
    ScreenPoint OnScreen(int x, int y) const;

    const SimClock& clock_;
    TurnClock& turn_;
    InjectionLog& log_;
    ScreenSize desktop_;
    ScreenPoint cursor_;
    bool buttons_[2] = {false, false};
};

} // namespace keyweave::sim
