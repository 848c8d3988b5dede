#pragma once

#include "platform/sim/sim_platform.h"
#include "platform/timer_source.h"
#include "script/timing.h"

#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

namespace keyweave::check {

// The longest dry run, in milliseconds. The simulated clock is a signed 64-bit count of
// milliseconds that starts the run at 0; its last turn may pause one turn past the end, and a
// wait begun in it holds a deadline up to the longest timer period beyond that. A longer run
// could overflow the clock, so it is not simulated.
inline constexpr std::int64_t kLongestSimulationMs =
    std::numeric_limits<std::int64_t>::max() - kMaxTimerPeriodMs - kTurnMs;

// A dry run: the script file is loaded by the script library into a fresh program on the
// simulated platform (a 1920 x 1080 desktop, the cursor at its centre), selected as the script
// combo box selects it and started as the Start/Stop key starts it; then the main loop turns
// for `ms` milliseconds of virtual time or until the script stops or pauses itself. Prints
// one line per action on `out`, as it goes. False when the file is not a script. `ms` is at most
// kLongestSimulationMs.
bool Simulate(const std::u16string& path, std::int64_t ms, std::ostream& out);

// The line of one synthetic action, "T keydown CODE NAME", "T move X Y", ...; T counts whole
// milliseconds from `start`. Empty for a move that left the cursor where it was.
std::string DescribeAction(const sim::InjectedAction& action, std::int64_t start);

} // namespace keyweave::check
