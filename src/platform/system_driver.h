#pragma once

#include <functional>
#include <string>

namespace keyweave {

// The platform's message pump, the hand-over of work to the main thread, the loop's pause,
// message boxes and the end of the process.
class SystemDriver {
public:
    virtual ~SystemDriver() = default;

    // Dispatches every pending platform message and runs every pending main-thread call,
    // without blocking.
    virtual void Poll() = 0;

    // Blocks until a platform message or a main-thread call is pending, then Poll().
    virtual void Wait() = 0;

    // Callable from any thread. The call runs on the main thread during its next Poll, Wait
    // or modal loop (a message box), after every call posted before it, never nested.
    virtual void PostMainThreadCall(std::function<void()> call) = 0;

    // The main loop's pause: it lasts `ms`, or ends as soon as a main-thread call (a timer
    // tick) that was posted since the previous pause ended is waiting to run, so that a wait
    // ends when its timer ticks rather than up to a whole pause later. A call posted before the
    // previous pause ended, or already run, does not shorten it: a turn without a new tick
    // still pauses the full `ms`. Nothing for `ms` <= 0.
    virtual void Sleep(int ms) = 0;

    // The main loop's pause while nothing plays: it ends as soon as something that a turn
    // reacts to is waiting (a key pressed or released, a main-thread call, a platform message,
    // and while the input watcher watches, any event it has to report), however long that
    // takes. This default pauses as Sleep(ms) does, for a platform that cannot tell.
    virtual void SleepUntilChange(int ms) { Sleep(ms); }

    // The main loop's pause while the playing script waits for its timer and nothing else
    // needs a turn: as SleepUntilChange on a platform whose wait for a change meets the tick
    // as exactly as Sleep does; as Sleep(ms), turn by turn, elsewhere (the default), since the
    // script's timing counts more than the wake-ups saved.
    virtual void SleepUntilTickOrChange(int ms) { Sleep(ms); }

    // What the user needs to know about how the program works in this session, told once at
    // start without stopping the program; "" when there is nothing to tell.
    virtual std::u16string StartupNotice() { return u""; }

    // A modal message box with an OK button: a warning icon when serious, else an
    // information icon. Returns when the user has dismissed it.
    virtual void Notify(const std::u16string& title, const std::u16string& text, bool serious) = 0;

    // Ends the process with this status through the normal exit path.
    [[noreturn]] virtual void ExitProcess(int status) = 0;
};

} // namespace keyweave
