#include "platform/gtk/timer_slack.h"

#include <sys/prctl.h>

namespace keyweave::gtk {

void KeepTimersExact() {
    // The kernel may otherwise end a timed wait of this thread up to 50 us late, to batch
    // wake-ups; the loop's pause and the timer ticks are meant to the millisecond.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
}

} // namespace keyweave::gtk
