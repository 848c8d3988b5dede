#pragma once

#include "platform/input_watcher.h"
#include "platform/win32/raw_input_sink.h"

#include <optional>
#include <vector>

namespace keyweave::win32 {

// The watched events of a run of raw reports, in the order of the reports, each at its time of
// receipt. The cursor's pixel of a button is where the system had the cursor when it queued the
// report (GetMessagePos). A move leaves the cursor where the system has it when it queues the
// next mouse report; when none follows, where the cursor is once no report waits any more. Until
// then its events, and those after them, wait.
class WatchedInput {
public:
    // A report received at `timeMs`; `queuedAt`: the cursor when the system queued it.
    void Add(const RAWINPUT& report, double timeMs, POINT queuedAt);

    // Whether events wait for the pixel where the latest move left the cursor.
    bool AwaitsCursor() const { return unplaced_.has_value(); }

    // The cursor's pixel while no report waits: where the latest move left it.
    void PlaceAt(POINT cursor);

    // Moves the events whose pixels are known to the end of `events`, in order.
    void TakeComplete(std::vector<InputEvent>& events);

    void Clear();

private:
    void AddMouse(const RAWMOUSE& mouse, double timeMs, POINT queuedAt);
    void Push(InputEvent::Kind kind, int code, double timeMs, POINT pixel);

    std::vector<InputEvent> events_;
    std::optional<std::size_t> unplaced_; // the first event whose pixel is not known yet
};

// The user's keys, buttons and cursor, from the raw input of the whole system. While watching,
// the sink receives the mouse's reports as well as the keyboard's, and each is timestamped on
// the performance counter when the main thread receives it: the loop's pause ends as soon as a
// report waits (ReportWaiting), so that is as soon as the main thread can run.
class Win32InputWatcher final : public InputWatcher, private RawInputSink::Reader {
public:
    explicit Win32InputWatcher(RawInputSink& sink);

    bool BeginWatching() override;
    void TakeEvents(std::vector<InputEvent>& events) override;
    void EndWatching() override;

    // Whether the loop's pause must end at once: watching, and a report waits to be dispatched.
    bool ReportWaiting() const;

private:
    void Read(const RAWINPUT* report) override;

    RawInputSink& sink_;
    bool watching_ = false;
    WatchedInput input_;
};

} // namespace keyweave::win32
