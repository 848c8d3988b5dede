#include "platform/win32/key_change_watch.h"

namespace keyweave::win32 {

namespace {

// The codes whose state a raw key report may have changed. A modifier comes with its
// side-neutral code, which stands for its left and right keys as well.
KeySet CodesOfReport(USHORT key) {
    KeySet codes;
    codes.set(key);
    if (key == VK_SHIFT) {
        codes.set(VK_LSHIFT).set(VK_RSHIFT);
    } else if (key == VK_CONTROL) {
        codes.set(VK_LCONTROL).set(VK_RCONTROL);
    } else if (key == VK_MENU) {
        codes.set(VK_LMENU).set(VK_RMENU);
    }
    return codes;
}

} // namespace

KeyChangeWatch::KeyChangeWatch(RawInputSink& sink) : sink_(sink) {
    sink.AddReader(*this);
}

// A report that cannot be read, or a key report that names no key, makes the next poll ask
// every key.
void KeyChangeWatch::Read(const RAWINPUT* report) {
    if (report == nullptr) {
        askAll_ = true;
        return;
    }
    if (report->header.dwType != RIM_TYPEKEYBOARD) {
        return;
    }
    const RAWKEYBOARD& keyboard = report->data.keyboard;
    const USHORT key = keyboard.VKey;
    if (key == 0 || key >= 255) {
        askAll_ = true;
        return;
    }
    reported_ |= CodesOfReport(key);
    const auto code = static_cast<std::size_t>(WatchedKeyCode(keyboard));
    const bool down = (keyboard.Flags & RI_KEY_BREAK) == 0;
    (down ? pressed_ : released_).set(code);
    reportedDown_.set(code, down);
    if (!down) {
        pressedReadUp_.reset(code);
    }
}

// Reports still in the queue are not read here: they make the poll ask every key. Under Wine
// asking whether any wait is a round trip to the server, saved when the pump just emptied it.
KeySet KeyChangeWatch::KeysToAsk(const KeySet& wanted, double nowMs) {
    if (!Active()) {
        return wanted;
    }
    const bool queued = !queueEmptied_ && RawInputSink::ReportsQueued();
    queueEmptied_ = false;
    const bool recheckDue = recheckAt_ && nowMs >= *recheckAt_;
    const KeySet ask = askAll_ || queued || recheckDue ? wanted : reported_ & wanted;
    if (recheckDue) {
        recheckAt_.reset();
        if (nowMs >= readUpUntilMs_) {
            pressedReadUp_.reset();
        }
    }
    if ((askAll_ || queued || reported_.any()) && !recheckAt_) {
        recheckAt_ = nowMs + kRecheckMs;
    }
    reported_.reset();
    askAll_ = false;
    return ask;
}

KeySet KeyChangeWatch::HeldAfterReports(const KeySet& wanted, const KeySet& read, double nowMs) {
    const KeySet pressed = pressed_ & wanted;
    const KeySet held = (read & ~released_ & wanted) | pressed | (pressedReadUp_ & wanted);
    if ((pressed & reportedDown_ & ~read).any()) {
        readUpUntilMs_ = nowMs + kRecheckMs;
    }
    pressedReadUp_ = held & reportedDown_ & ~read;
    if (pressedReadUp_.any() && !recheckAt_) {
        recheckAt_ = readUpUntilMs_;
    }
    releaseUnseen_ = (pressed & ~reportedDown_).any();
    pressed_.reset();
    released_.reset();
    return held;
}

bool KeyChangeWatch::ChangeWaiting() const {
    return Active() &&
           (askAll_ || reported_.any() || releaseUnseen_ || RawInputSink::ReportsQueued());
}

} // namespace keyweave::win32
