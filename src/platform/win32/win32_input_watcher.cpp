#include "platform/win32/win32_input_watcher.h"

#include "platform/win32/performance_clock.h"

namespace keyweave::win32 {

namespace {

// The buttons of a mouse report, each a pair of flags: down, then up, from the left button (1)
// over the right (2) and the middle (3) to the fourth and fifth.
constexpr int kReportedButtons = 5;

bool Moves(const RAWMOUSE& mouse) {
    return (mouse.usFlags & MOUSE_MOVE_ABSOLUTE) != 0 || mouse.lLastX != 0 || mouse.lLastY != 0;
}

// Positions travel as two signed 16-bit halves.
POINT QueuedCursor() {
    const DWORD position = GetMessagePos();
    return {static_cast<SHORT>(LOWORD(position)), static_cast<SHORT>(HIWORD(position))};
}

} // namespace

void WatchedInput::Add(const RAWINPUT& report, double timeMs, POINT queuedAt) {
    if (report.header.dwType == RIM_TYPEKEYBOARD) {
        const RAWKEYBOARD& key = report.data.keyboard;
        if (const int code = WatchedKeyCode(key)) {
            const bool up = (key.Flags & RI_KEY_BREAK) != 0;
            Push(up ? InputEvent::KeyUp : InputEvent::KeyDown, code, timeMs, {});
        }
    } else if (report.header.dwType == RIM_TYPEMOUSE) {
        AddMouse(report.data.mouse, timeMs, queuedAt);
    }
}

// A mouse report's move comes before its buttons, which go down or up where it left the cursor.
void WatchedInput::AddMouse(const RAWMOUSE& mouse, double timeMs, POINT queuedAt) {
    PlaceAt(queuedAt);
    if (Moves(mouse)) {
        unplaced_ = events_.size();
        Push(InputEvent::CursorMove, 0, timeMs, {});
    }
    for (int button = 1; button <= kReportedButtons; ++button) {
        const unsigned down = 1u << (2 * (button - 1));
        const unsigned up = down << 1;
        if ((mouse.usButtonFlags & down) != 0) {
            Push(InputEvent::ButtonDown, button, timeMs, queuedAt);
        }
        if ((mouse.usButtonFlags & up) != 0) {
            Push(InputEvent::ButtonUp, button, timeMs, queuedAt);
        }
    }
}

void WatchedInput::Push(InputEvent::Kind kind, int code, double timeMs, POINT pixel) {
    events_.push_back({kind, code, static_cast<int>(pixel.x), static_cast<int>(pixel.y), timeMs});
}

void WatchedInput::PlaceAt(POINT cursor) {
    if (!unplaced_) {
        return;
    }
    for (std::size_t index = *unplaced_; index < events_.size(); ++index) {
        InputEvent& event = events_[index];
        if (event.kind != InputEvent::KeyDown && event.kind != InputEvent::KeyUp) {
            event.x = cursor.x;
            event.y = cursor.y;
        }
    }
    unplaced_.reset();
}

void WatchedInput::TakeComplete(std::vector<InputEvent>& events) {
    const std::size_t complete = unplaced_.value_or(events_.size());
    events.insert(events.end(), events_.begin(),
                  events_.begin() + static_cast<std::ptrdiff_t>(complete));
    events_.erase(events_.begin(), events_.begin() + static_cast<std::ptrdiff_t>(complete));
    if (unplaced_) {
        unplaced_ = 0;
    }
}

void WatchedInput::Clear() {
    events_.clear();
    unplaced_.reset();
}

Win32InputWatcher::Win32InputWatcher(RawInputSink& sink) : sink_(sink) {
    sink.AddReader(*this);
}

// Reports already queued tell of what happened before: they are dispatched before watching
// begins, so that the keyboard poll still learns of them.
bool Win32InputWatcher::BeginWatching() {
    if (watching_) {
        return true;
    }
    sink_.ReadQueuedReports();
    if (!sink_.ReceiveMouse(true)) {
        return false;
    }
    input_.Clear();
    watching_ = true;
    return true;
}

void Win32InputWatcher::TakeEvents(std::vector<InputEvent>& events) {
    if (input_.AwaitsCursor() && !RawInputSink::ReportsQueued()) {
        POINT cursor{};
        if (GetCursorPos(&cursor)) {
            input_.PlaceAt(cursor);
        }
    }
    input_.TakeComplete(events);
}

void Win32InputWatcher::EndWatching() {
    if (watching_) {
        watching_ = false;
        sink_.ReceiveMouse(false);
    }
    input_.Clear();
}

bool Win32InputWatcher::ReportWaiting() const {
    return watching_ && RawInputSink::ReportsQueued();
}

void Win32InputWatcher::Read(const RAWINPUT* report) {
    if (watching_ && report != nullptr) {
        input_.Add(*report, NowMs(), QueuedCursor());
    }
}

} // namespace keyweave::win32
