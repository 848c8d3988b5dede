#include "runtime/system/system.h"

#include "platform/platform.h"
#include "runtime/events/hooks.h"
#include "runtime/gui/gadget.h"

#include <atomic>
#include <exception>

namespace keyweave {

namespace {

// Read by timer threads when they post their ticks, written once per start-up.
std::atomic<Platform*> platform{nullptr};

// Keeps a pump that is triggered from a callback of a running pump from nesting.
bool pumping = false;

class PumpGuard {
public:
    PumpGuard() { pumping = true; }
    ~PumpGuard() { pumping = false; }
    PumpGuard(const PumpGuard&) = delete;
    PumpGuard& operator=(const PumpGuard&) = delete;
};

SystemDriver& Driver() {
    return CurrentPlatform().System();
}

} // namespace

void StartSystemDriver(Platform& started) {
    platform = &started;
    pumping = false;
}

Platform& CurrentPlatform() {
    Platform* current = platform;
    if (current == nullptr) {
        throw RuntimeError("The runtime has not been started");
    }
    return *current;
}

bool IsPumping() {
    return pumping;
}

void PumpMessages() {
    if (pumping) {
        return;
    }
    PumpGuard guard;
    Driver().Poll();
}

void WaitAndPumpMessages() {
    if (pumping) {
        return;
    }
    PumpGuard guard;
    Driver().Wait();
}

void PostMainThreadCall(std::function<void()> call) {
    Driver().PostMainThreadCall(std::move(call));
}

int Notify(const std::u16string& text, bool serious) {
    Driver().Notify(ApplicationTitle(), text, serious);
    return 0;
}

void SleepMs(int ms) {
    Driver().Sleep(ms);
}

void SleepUntilChange(int ms) {
    Driver().SleepUntilChange(ms);
}

void SleepUntilTickOrChange(int ms) {
    Driver().SleepUntilTickOrChange(ms);
}

void EndProcess(int status) {
    Driver().ExitProcess(status);
    // A driver's ExitProcess never returns; should one do so, the process still ends here.
    std::terminate();
}

} // namespace keyweave
