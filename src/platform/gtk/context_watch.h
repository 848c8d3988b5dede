#pragma once

#include "platform/loop/loop_time.h"

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

typedef struct _GPollFD GPollFD;
struct pollfd;

namespace keyweave::gtk {

// The main thread changed what GLib's default main context has to do, outside the context's
// own dispatch: a widget changed (GTK queues its layout and drawing as sources of the
// context), or a source was added or removed. The next pause that watches the context
// prepares it afresh.
void MainContextChanged();

// GLib's default main context as the main loop's pause sees it. While a script plays, the
// pause watches the context's descriptors as it waits, so that the pump after it runs the
// context only when something arrived for it: one of its descriptors became readable, one of
// its sources is ready or its next timeout has passed. The main-thread calls' descriptor and
// the input connection's are watched apart, since the pump takes what arrives on them itself.
// The context is prepared and queried afresh only after it ran or changed
// (MainContextChanged), so that a turn in which nothing arrived costs the pause's one wait.
// The main thread owns the context for as long as the watch lives, so that a source that
// another thread attaches wakes the context's own descriptor.
class ContextWatch {
public:
    // `callFd` is readable when a main-thread call is posted; it ends a watched wait. `inputFd`
    // is the input connection's (-1: none).
    ContextWatch(int callFd, int inputFd);
    ~ContextWatch();
    ContextWatch(const ContextWatch&) = delete;
    ContextWatch& operator=(const ContextWatch&) = delete;

    // Blocks until `until`, or until `callFd` is readable: true then. Another descriptor that
    // is readable meanwhile is noted, and the wait goes on without it.
    bool WaitUntil(LoopTime until);

    // Whether a watched wait saw the input connection readable since the previous take.
    bool TakeInputReadable() { return std::exchange(inputReadable_, false); }

    // Whether a pause has watched the context since the previous take, and nothing arrived for
    // the context since it last ran: the pump may leave it alone. A take needs a new watching
    // pause.
    bool TakeQuiet();

    // The context ran: what it holds may have changed.
    void Ran();

    // For the pause until a change: prepares and queries the context afresh; whether one of
    // its sources is ready. Then Check, or PollAndCheck: a poll of the context's descriptors
    // until `until` (none: no limit) or the context's own next timeout, to the nanosecond.
    bool Prepare();
    void Check();
    void PollAndCheck(std::optional<LoopTime> until);

private:
    void Query();
    // Whether the context must be queried again before it is watched.
    bool Stale() const;
    // Whether something arrived for the context since it was queried.
    bool Arrived() const;

    int callFd_;
    int inputFd_;
    std::vector<GPollFD> fds_;
    std::vector<pollfd> polled_;
    int count_ = 0;
    int priority_ = 0;
    int timeoutMs_ = -1;
    LoopTime preparedAt_;
    std::uint64_t preparedChanges_ = 0;
    bool prepared_ = false;
    bool ready_ = false;
    bool readable_ = false;
    bool inputReadable_ = false;
    bool watched_ = false;
};

} // namespace keyweave::gtk
