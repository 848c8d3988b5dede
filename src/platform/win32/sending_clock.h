#pragma once

#include "platform/sending_clock.h"
#include "platform/win32/performance_clock.h"

namespace keyweave::win32 {

// Under Wine, an absolute mouse_event takes about 0.3 ms (Wine moves the X pointer), and a
// recording's path replays one such turn per position: the pause counts from before it, or
// from the tick that began the turn (Win32SystemDriver::EndPause).
using SendingClock = keyweave::SendingClock<PerformanceClock>;

} // namespace keyweave::win32
