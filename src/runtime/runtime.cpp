#include "runtime/runtime.h"

#include "runtime/events/event.h"
#include "runtime/events/event_queue.h"
#include "runtime/gui/gadget.h"
#include "runtime/system/system.h"
#include "runtime/timers/timer.h"

namespace keyweave {

void StartRuntime(Platform& platform) {
    StartEvents();
    StartSystemDriver(platform);
    StartEventQueue();
    StartGui();
    StartTimers();
}

} // namespace keyweave
