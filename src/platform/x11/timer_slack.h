#pragma once

namespace keyweave::x11 {

// Lets the calling thread's timed waits end as close to their deadlines as the kernel can.
void KeepTimersExact();

} // namespace keyweave::x11
