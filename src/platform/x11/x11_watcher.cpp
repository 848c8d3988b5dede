#include "platform/x11/x11_watcher.h"

#include "platform/gtk/context_watch.h"

#include <X11/Xlib.h>
#include <X11/Xproto.h>
#include <X11/extensions/record.h>
#include <chrono>
#include <glib-unix.h>
#include <poll.h>

namespace keyweave::x11 {
namespace {

// How long BeginWatching waits for the server to begin recording.
constexpr auto kStartLimit = std::chrono::seconds(2);

// The program's button of an X button; none for the wheel.
std::optional<int> ButtonOf(int xButton) {
    switch (xButton) {
    case 1:
        return 1;
    case 2:
        return 3;
    case 3:
        return 2;
    case 4:
    case 5:
    case 6:
    case 7:
        return std::nullopt;
    case 8:
        return 4;
    case 9:
        return 5;
    default:
        return xButton;
    }
}

gboolean OnRecordedReadable(gint, GIOCondition, gpointer display) {
    XRecordProcessReplies(static_cast<Display*>(display));
    return G_SOURCE_CONTINUE;
}

} // namespace

double ServerClock::Extend(std::uint32_t serverMs) {
    if (!last_) {
        now_ = serverMs;
        last_ = serverMs;
    }
    const auto step = static_cast<std::int32_t>(serverMs - *last_);
    if (step > 0) {
        now_ += step;
        last_ = serverMs;
    }
    return now_;
}

std::optional<InputEvent> WatchedEvent(const DeviceEvent& event, const gtk::VirtualKeyMap& keys,
                                       ScreenPoint origin, ServerClock& clock) {
    InputEvent watched;
    switch (event.type) {
    case KeyPress:
    case KeyRelease: {
        watched.kind = event.type == KeyPress ? InputEvent::KeyDown : InputEvent::KeyUp;
        const int code = keys.VirtualKeyOf(event.detail);
        watched.code = code != 0 ? code : 256 + event.detail;
        break;
    }
    case ButtonPress:
    case ButtonRelease: {
        const std::optional<int> button = ButtonOf(event.detail);
        if (!button) {
            return std::nullopt;
        }
        watched.kind = event.type == ButtonPress ? InputEvent::ButtonDown : InputEvent::ButtonUp;
        watched.code = *button;
        break;
    }
    case MotionNotify:
        watched.kind = InputEvent::CursorMove;
        break;
    default:
        return std::nullopt;
    }
    if (watched.kind != InputEvent::KeyDown && watched.kind != InputEvent::KeyUp) {
        watched.x = event.rootX - origin.x;
        watched.y = event.rootY - origin.y;
    }
    watched.timeMs = clock.Extend(event.serverMs);
    return watched;
}

// What the RECORD extension hands over on the recorded connection.
struct RecordedData {
    static void Receive(XPointer closure, XRecordInterceptData* data) {
        auto& watcher = *reinterpret_cast<X11Watcher*>(closure);
        if (data->category == XRecordStartOfData) {
            watcher.started_ = true;
        } else if (data->category == XRecordFromServer && data->data_len * 4 >= sizeof(xEvent)) {
            const auto* core = reinterpret_cast<const xEvent*>(data->data);
            const DeviceEvent event{core->u.u.type & 0x7f, core->u.u.detail,
                                    static_cast<std::uint32_t>(core->u.keyButtonPointer.time),
                                    core->u.keyButtonPointer.rootX, core->u.keyButtonPointer.rootY};
            if (auto watched =
                    WatchedEvent(event, watcher.input_.Keys(), watcher.origin_, watcher.clock_)) {
                watcher.events_.push_back(*watched);
            }
        }
        XRecordFreeData(data);
    }
};

X11Watcher::~X11Watcher() {
    EndWatching();
}

bool X11Watcher::BeginWatching() {
    gtk::MainContextChanged();
    EndWatching();
    int major = 0;
    int minor = 0;
    if (!input_.ReportsKeyChanges() || !XRecordQueryVersion(input_.Get(), &major, &minor)) {
        return false;
    }
    recorded_ = XOpenDisplay(DisplayString(input_.Get()));
    if (recorded_ == nullptr) {
        return false;
    }
    if (!StartRecording()) {
        EndWatching();
        return false;
    }
    input_.ReportPointerChanges(true);
    recordedWatch_ =
        g_unix_fd_add(ConnectionNumber(recorded_), G_IO_IN, OnRecordedReadable, recorded_);
    return true;
}

// Every core key, button and motion event of the server, whichever client's.
bool X11Watcher::StartRecording() {
    XRecordRange* range = XRecordAllocRange();
    if (range == nullptr) {
        return false;
    }
    range->device_events.first = KeyPress;
    range->device_events.last = MotionNotify;
    XRecordClientSpec clients = XRecordAllClients;
    context_ = XRecordCreateContext(input_.Get(), 0, &clients, 1, &range, 1);
    XFree(range);
    // The context must exist before the recorded connection enables it.
    input_.Sync();
    if (context_ == 0 || !XRecordEnableContextAsync(recorded_, context_, RecordedData::Receive,
                                                    reinterpret_cast<XPointer>(this))) {
        return false;
    }
    XFlush(recorded_);
    const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    pollfd readable{ConnectionNumber(recorded_), POLLIN, 0};
    while (!started_ && std::chrono::steady_clock::now() < deadline) {
        poll(&readable, 1, 10);
        XRecordProcessReplies(recorded_);
    }
    return started_;
}

void X11Watcher::TakeEvents(std::vector<InputEvent>& events) {
    if (recorded_ == nullptr) {
        return;
    }
    input_.Drain();
    if (input_.TakeInputArrived()) {
        input_.Sync();
    }
    XRecordProcessReplies(recorded_);
    events.insert(events.end(), events_.begin(), events_.end());
    events_.clear();
}

void X11Watcher::EndWatching() {
    gtk::MainContextChanged();
    if (recordedWatch_ != 0) {
        g_source_remove(recordedWatch_);
        recordedWatch_ = 0;
        input_.ReportPointerChanges(false);
    }
    if (context_ != 0) {
        // Freeing an enabled context disables it first.
        XRecordFreeContext(input_.Get(), context_);
        input_.Sync();
        context_ = 0;
    }
    if (recorded_ != nullptr) {
        XCloseDisplay(recorded_);
        recorded_ = nullptr;
    }
    started_ = false;
    clock_ = {};
    events_.clear();
}

} // namespace keyweave::x11
