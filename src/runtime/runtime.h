#pragma once

namespace keyweave {

class Platform;

// Brings up the runtime services on the calling thread, in order: events, the system driver,
// the event queue, the GUI toolkit and timers. Calling it again starts them afresh.
void StartRuntime(Platform& platform);

} // namespace keyweave
