#pragma once

#include <vector>
#include <windows.h>

namespace keyweave::win32 {

// The key table's code of a raw key report: its virtual key, with Shift, Ctrl and Alt told left
// from right as a physical keyboard tells them, Shift by its scan code and Ctrl and Alt by the
// E0 prefix (160 to 165, never 16, 17 or 18); 0 for a report that names no key.
int WatchedKeyCode(const RAWKEYBOARD& key);

// The raw input of the whole system (RIDEV_INPUTSINK), received by a hidden window of the main
// thread: the keyboard's always, the mouse's while it is asked for. Each report is handed to
// every reader when the pump dispatches it. Where the keyboard cannot be registered, Active()
// is false and no report ever comes.
class RawInputSink {
public:
    // Gets every report that the sink receives: null for one that cannot be read.
    class Reader {
    public:
        virtual void Read(const RAWINPUT* report) = 0;

    protected:
        ~Reader() = default;
    };

    RawInputSink();
    ~RawInputSink();
    RawInputSink(const RawInputSink&) = delete;
    RawInputSink& operator=(const RawInputSink&) = delete;

    bool Active() const { return window_ != nullptr; }

    // Readers are the platform's own and live as long as the sink.
    void AddReader(Reader& reader) { readers_.push_back(&reader); }

    // Starts or stops receiving the mouse's reports too; false when that cannot be done.
    bool ReceiveMouse(bool receive);

    // Dispatches the reports that are waiting in the queue now, and nothing else.
    void ReadQueuedReports();

    // Whether reports of any kind wait in the main thread's queue, not yet dispatched.
    static bool ReportsQueued();

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Hand(LPARAM input) const;

    HWND window_ = nullptr;
    std::vector<Reader*> readers_;
};

} // namespace keyweave::win32
