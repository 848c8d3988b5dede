#pragma once

namespace keyweave::gtk {

// Lets the calling thread's timed waits end as close to their deadlines as the kernel can.
void KeepTimersExact();

} // namespace keyweave::gtk
