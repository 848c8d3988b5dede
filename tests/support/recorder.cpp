#include "recorder.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>
#include <algorithm>
#include <poll.h>
#include <set>

namespace keyweave::x11test {

namespace {

// Axes 0 and 1 are x and y; a move may give either or both.
void FollowPointer(const XIRawEvent& move, int& x, int& y) {
    const double* value = move.valuators.values;
    for (int axis = 0; axis < move.valuators.mask_len * 8 && axis < 2; ++axis) {
        if (XIMaskIsSet(move.valuators.mask, axis)) {
            (axis == 0 ? x : y) = static_cast<int>(*value++);
        }
    }
}

} // namespace

std::vector<InputEvent> Changes(const std::vector<InputEvent>& events, std::size_t from,
                                std::size_t to) {
    std::vector<InputEvent> changes;
    std::set<std::pair<bool, int>> held; // (button, detail)
    for (std::size_t i = from; i < std::min(to, events.size()); ++i) {
        const InputEvent& event = events[i];
        const bool button =
            event.kind == InputEvent::ButtonDown || event.kind == InputEvent::ButtonUp;
        const bool down = event.kind == InputEvent::KeyDown || event.kind == InputEvent::ButtonDown;
        const auto key = std::pair{button, event.detail};
        if (down ? held.insert(key).second : held.erase(key) > 0) {
            changes.push_back(event);
        }
    }
    return changes;
}

Recorder::Recorder(const std::string& display) {
    display_ = XOpenDisplay(display.c_str());
    if (display_ == nullptr) {
        return;
    }
    int event = 0;
    int error = 0;
    int major = 2;
    int minor = 1;
    if (!XQueryExtension(display_, "XInputExtension", &opcode_, &event, &error) ||
        XIQueryVersion(display_, &major, &minor) != Success) {
        XCloseDisplay(display_);
        display_ = nullptr;
        return;
    }
    unsigned char bits[XIMaskLen(XI_LASTEVENT)] = {};
    XISetMask(bits, XI_RawKeyPress);
    XISetMask(bits, XI_RawKeyRelease);
    XISetMask(bits, XI_RawButtonPress);
    XISetMask(bits, XI_RawButtonRelease);
    XISetMask(bits, XI_RawMotion);
    XIEventMask mask{XIAllMasterDevices, sizeof(bits), bits};
    XISelectEvents(display_, DefaultRootWindow(display_), &mask, 1);
    XSync(display_, False);
    thread_ = std::thread([this] { Run(); });
}

Recorder::~Recorder() {
    stop_ = true;
    if (thread_.joinable()) {
        thread_.join();
    }
    if (display_ != nullptr) {
        XCloseDisplay(display_);
    }
}

void Recorder::Run() {
    pollfd ready{ConnectionNumber(display_), POLLIN, 0};
    while (!stop_) {
        if (XPending(display_) == 0) {
            poll(&ready, 1, 20);
            continue;
        }
        XEvent event;
        XNextEvent(display_, &event);
        Clock::time_point seen = Clock::now();
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != opcode_ ||
            !XGetEventData(display_, cookie)) {
            continue;
        }
        const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
        InputEvent::Kind kind;
        switch (cookie->evtype) {
        case XI_RawMotion:
            FollowPointer(*raw, pointerX_, pointerY_);
            XFreeEventData(display_, cookie);
            continue;
        case XI_RawKeyPress:
            kind = InputEvent::KeyDown;
            break;
        case XI_RawKeyRelease:
            kind = InputEvent::KeyUp;
            break;
        case XI_RawButtonPress:
            kind = InputEvent::ButtonDown;
            break;
        default:
            kind = InputEvent::ButtonUp;
            break;
        }
        {
            std::lock_guard lock(mutex_);
            events_.push_back({kind, raw->detail, raw->time, seen, pointerX_, pointerY_});
        }
        XFreeEventData(display_, cookie);
    }
}

std::vector<InputEvent> Recorder::Events() const {
    std::lock_guard lock(mutex_);
    return events_;
}

void Recorder::Clear() {
    std::lock_guard lock(mutex_);
    events_.clear();
}

int Recorder::WaitFor(InputEvent::Kind kind, int detail, std::size_t from,
                      std::chrono::milliseconds limit) const {
    auto deadline = Clock::now() + limit;
    do {
        {
            std::lock_guard lock(mutex_);
            for (std::size_t i = from; i < events_.size(); ++i) {
                if (events_[i].kind == kind && events_[i].detail == detail) {
                    return static_cast<int>(i);
                }
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    } while (Clock::now() < deadline);
    return -1;
}

} // namespace keyweave::x11test
