#pragma once

#include "platform/platform_input.h"

#include <string>

namespace keyweave {

// Requests of other programs (`keyweave --toggle`, `--start`, `--stop`), which reach the core
// through the door's InputRequest. Each acts as the user would: the Start/Stop keys start and
// stop, a pick in the script list chooses; nothing that a script pressed stays down when it
// stops or another is chosen.
class TRequests {
public:
    // As a press of the Start/Stop keys; a named script that is not the current one is chosen
    // first and started, and stopped when it is the one that runs.
    static RequestOutcome Toggle(const std::u16string& name);
    // Starts the current or the named script, unless it runs already.
    static RequestOutcome Start(const std::u16string& name);
    // Stops whatever runs, and lets go of everything the program holds down.
    static RequestOutcome Stop();
};

} // namespace keyweave
