#include "app/input_capture.h"

#include "input/keyboard.h"
#include "input/mouse.h"

#include <algorithm>

namespace keyweave {

InputCapture::InputCapture(const KeyList& binding, const KeyList& held) {
    for (const KeyRef& key : binding) {
        bound_.insert(key->Key);
    }
    for (const KeyRef& key : held) {
        keysDown_.insert(key->Key);
    }
}

void InputCapture::Take(const std::vector<InputEvent>& events) {
    for (const InputEvent& event : events) {
        if (HasEnded()) {
            return;
        }
        switch (event.kind) {
        case InputEvent::KeyDown:
        case InputEvent::KeyUp:
            TakeKey(event, event.kind == InputEvent::KeyDown);
            break;
        case InputEvent::ButtonDown:
        case InputEvent::ButtonUp:
            TakeButton(event, event.kind == InputEvent::ButtonDown);
            break;
        case InputEvent::CursorMove:
            lastCursor_ = event;
            if (phase_ == Phase::Recording) {
                Keep(event, Operation::MoveCursor);
            }
            break;
        }
    }
}

namespace {

// Notes that a key or button went down or up; false when that changes nothing: a press of
// one that is down already, as the keyboard's auto-repeat sends, or a release of one that is
// up.
bool Changes(std::set<int>& held, int code, bool down) {
    return down ? held.insert(code).second : held.erase(code) > 0;
}

} // namespace

void InputCapture::TakeKey(const InputEvent& event, bool down) {
    if (!Changes(keysDown_, event.code, down)) {
        return;
    }
    if (phase_ == Phase::Recording) {
        KeepKey(event, down);
    }
    WatchTheCombination(event.timeMs);
}

// Once the whole combination is held, its keys' presses end the recording and are not kept.
void InputCapture::KeepKey(const InputEvent& event, bool down) {
    if (!TKeyboard::ReturnTKeyFromInt(event.code)) {
        leftOut_ += down ? 1 : 0;
    } else if (down && !(combinationHeld_ && bound_.contains(event.code))) {
        openKeys_[event.code] = recording_.actions.size();
        Keep(event, Operation::PressKey);
    } else if (!down && openKeys_.erase(event.code) > 0) {
        Keep(event, Operation::ReleaseKey);
    }
}

void InputCapture::TakeButton(const InputEvent& event, bool down) {
    lastCursor_ = event;
    if (!Changes(buttonsDown_, event.code, down) || phase_ != Phase::Recording) {
        return;
    }
    if (!TMouse::ReturnTKeyFromInt(event.code)) {
        leftOut_ += down ? 1 : 0;
    } else if (down) {
        openButtons_[event.code] = recording_.actions.size();
        Keep(event, Operation::PressButton);
    } else if (openButtons_.erase(event.code) > 0) {
        Keep(event, Operation::ReleaseButton);
    }
}

// A hold of the whole combination, once every key of it has gone up again, starts the
// recording or ends it, as the Start/Stop keys start or stop a script.
void InputCapture::WatchTheCombination(double time) {
    if (!combinationHeld_) {
        if (AllBoundHeld()) {
            combinationHeld_ = true;
            if (phase_ == Phase::Recording) {
                DropTheCombination(time);
            }
        }
    } else if (NoneBoundHeld()) {
        combinationHeld_ = false;
        if (phase_ == Phase::Armed) {
            phase_ = Phase::Recording;
            start_ = time;
        } else {
            End();
        }
    }
}

// The presses that make up the hold that ends the recording are not part of it, nor are the
// Start/Stop keys' releases that follow; the task ended with the first of those presses.
void InputCapture::DropTheCombination(double time) {
    endPress_ = time - start_;
    for (const int code : bound_) {
        const auto open = openKeys_.find(code);
        if (open != openKeys_.end()) {
            RecordedAction& press = recording_.actions[open->second];
            endPress_ = std::min(endPress_, press.timeMs);
            press.operation = Operation::None;
            openKeys_.erase(open);
        }
    }
}

void InputCapture::End() {
    phase_ = Phase::Ended;
    auto& actions = recording_.actions;
    std::erase_if(actions,
                  [](const RecordedAction& action) { return action.operation == Operation::None; });
    // What is still held is let go when the task ended, in the order in which it was pressed.
    const double releaseTime = std::max(endPress_, actions.empty() ? 0 : actions.back().timeMs);
    std::vector<std::pair<std::size_t, RecordedAction>> releases;
    for (const auto& [code, index] : openKeys_) {
        releases.push_back({index, {releaseTime, Operation::ReleaseKey, code, 0, 0}});
    }
    for (const auto& [code, index] : openButtons_) {
        releases.push_back(
            {index, {releaseTime, Operation::ReleaseButton, code, lastCursor_.x, lastCursor_.y}});
    }
    std::sort(releases.begin(), releases.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& release : releases) {
        actions.push_back(release.second);
    }
    recording_.lengthMs = endPress_;
}

void InputCapture::Keep(const InputEvent& event, Operation operation) {
    recording_.actions.push_back({event.timeMs - start_, operation, event.code, event.x, event.y});
}

bool InputCapture::AllBoundHeld() const {
    return std::all_of(bound_.begin(), bound_.end(),
                       [this](int code) { return keysDown_.contains(code); });
}

bool InputCapture::NoneBoundHeld() const {
    return std::none_of(bound_.begin(), bound_.end(),
                        [this](int code) { return keysDown_.contains(code); });
}

} // namespace keyweave
