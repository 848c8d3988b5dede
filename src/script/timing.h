#pragma once

#include <cstdint>
#include <vector>

namespace keyweave {

// How long a script takes to play. The player keeps these rules, and the recorder counts on
// them to write waits that reproduce what it saw:
// - every command takes one turn of the main loop, kTurnMs;
// - a SLEEP of v runs a timer at 1000 / v ticks per second (single precision), whose period is
//   what the timer service makes of that rate, WaitPeriodMs(v): v, or for some v one less;
// - a wait ends at its timer's first tick, and the next command runs in that same turn, so a
//   SLEEP between two commands puts its period and its own turn between them, and a SLEEP that
//   is the first command after the start puts its period between the start and the next one;
// - when the list has run out, one turn passes without a command before it starts over.
inline constexpr int kTurnMs = 2;

// The timer rate of a SLEEP of `ms`.
float WaitHertz(std::int32_t ms);

// How long a SLEEP of `ms` waits: its timer's period; 0 when the timer service refuses the
// rate (0 ms or less, or a period longer than the longest a timer accepts) and none passes.
std::int64_t WaitPeriodMs(std::int32_t ms);

// The SLEEP value that waits exactly `ms`, or 0 when no value does (3 ms, 7 ms, ...).
std::int32_t SleepLasting(std::int64_t ms);

// SLEEP values whose waits, one after the other, last exactly `ms` in all: one value where one
// does, two where none does, and more for waits longer than the longest period. None for 0 or
// less.
std::vector<std::int32_t> SleepsLasting(std::int64_t ms);

} // namespace keyweave
