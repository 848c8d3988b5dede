#pragma once

#include <functional>
#include <string>

namespace keyweave {

class Platform;

// Start-up of the system driver on the calling thread, which becomes the main thread.
void StartSystemDriver(Platform& platform);

// The platform the runtime was started with.
Platform& CurrentPlatform();

// Runs the platform's message pump once without blocking. A call from inside a running pump
// (for instance from a main-thread call) returns at once.
void PumpMessages();

// Whether a pump is running on the main thread (the caller is inside one of its callbacks).
bool IsPumping();

// Waits until a message or main-thread call is pending, then pumps; guarded like PumpMessages.
void WaitAndPumpMessages();

// Hands work to the main thread from any thread: it runs during the main thread's next pump
// or modal loop, in posting order.
void PostMainThreadCall(std::function<void()> call);

// The message boxes. The caption is ApplicationTitle.
int Notify(const std::u16string& text, bool serious);

// The main loop's pause.
void SleepMs(int ms);

// The main loop's pause while nothing plays: until a key changes, a main-thread call or a
// platform message is waiting; `ms` where the platform cannot tell.
void SleepUntilChange(int ms);

// The main loop's pause while the playing script waits for its timer: until the tick or a
// change where the platform meets the tick exactly that way, else as SleepMs.
void SleepUntilTickOrChange(int ms);

// Ends the process with this status through the normal exit path.
[[noreturn]] void EndProcess(int status);

} // namespace keyweave
