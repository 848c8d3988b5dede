#include "runtime/timers/timer.h"

#include "platform/platform.h"
#include "runtime/events/hooks.h"
#include "runtime/system/system.h"

#include <cmath>
#include <vector>

namespace keyweave {

namespace {

// One running timer: the platform's id, the serial number that tells this timer apart from a
// later one the platform gives the same id, and the reference that keeps the timer alive.
struct ActiveTimer {
    std::uint32_t id = 0;
    std::uint64_t serial = 0;
    TimerRef timer;
};

std::vector<ActiveTimer> activeTimers;

// Serial numbers never repeat within the process, not even across start-ups, so that a tick
// posted under an earlier start-up never matches a timer of a later one.
std::uint64_t lastSerial = 0;

std::vector<ActiveTimer>::iterator FindActive(std::uint32_t id, std::uint64_t serial) {
    for (auto entry = activeTimers.begin(); entry != activeTimers.end(); ++entry) {
        if (entry->id == id && entry->serial == serial) {
            return entry;
        }
    }
    return activeTimers.end();
}

// Runs on the timer source's thread: it only hands the tick over to the main thread.
void OnTick(std::uint32_t id, std::uintptr_t serial) {
    PostMainThreadCall([id, serial] { DeliverTick(id, serial); });
}

// Tick counts wrap around like the 32-bit counters they are.
int WrappingIncrement(int count) {
    return static_cast<int>(static_cast<std::uint32_t>(count) + 1u);
}

int WrappingDifference(int later, int earlier) {
    return static_cast<int>(static_cast<std::uint32_t>(later) -
                            static_cast<std::uint32_t>(earlier));
}

} // namespace

std::uint32_t TimerPeriodMs(float hertz) {
    const double period = 1000.0 / static_cast<double>(hertz);
    // 2^63: the first value outside the signed 64-bit range.
    constexpr double kInt64Limit = 9223372036854775808.0;
    if (!std::isfinite(period) || period >= kInt64Limit || period < -kInt64Limit) {
        return 0;
    }
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(period));
}

std::shared_ptr<TTimer> TTimer::Create(float hertz, EventRef event) {
    auto timer = std::make_shared<TTimer>();
    if (RunningTimerCount() >= kMaxRunningTimers) {
        return nullptr;
    }
    const std::uint64_t serial = ++lastSerial;
    const std::uint32_t id = CurrentPlatform().Timers().StartPeriodic(
        TimerPeriodMs(hertz), OnTick, static_cast<std::uintptr_t>(serial));
    if (id == 0) {
        return nullptr;
    }
    activeTimers.push_back({id, serial, timer});
    timer->_event = std::move(event);
    timer->_handle = id;
    timer->_serial = serial;
    return timer;
}

void TTimer::Stop() {
    if (_handle == 0) {
        return;
    }
    // The table's reference may be the last one: keep this object alive until the end.
    TimerRef keepAlive;
    const auto entry = FindActive(_handle, _serial);
    if (entry != activeTimers.end()) {
        keepAlive = std::move(entry->timer);
        if (entry + 1 != activeTimers.end()) {
            *entry = std::move(activeTimers.back());
        }
        activeTimers.pop_back();
        CurrentPlatform().Timers().Kill(_handle);
    }
    _handle = 0;
    _event = nullptr;
}

void TTimer::Fire() {
    if (_handle == 0) {
        return;
    }
    _ticks = WrappingIncrement(_ticks);
    // A hook may stop this timer and so release `_event`: emit from a reference of our own.
    EventRef event = _event;
    if (event == nullptr) {
        event = TEvent::Create(TimerTick, shared_from_this(), _ticks, 0, 0, 0, nullptr);
    }
    event->Emit();
}

int TTimer::Wait() {
    if (_handle == 0) {
        return 0;
    }
    int count = 0;
    for (;;) {
        WaitAndPumpMessages();
        count = WrappingDifference(_ticks, _wticks);
        if (count != 0 || _handle == 0) {
            break;
        }
        // Inside a pump the nested pump returns at once, so waiting would never end.
        if (IsPumping()) {
            throw RuntimeError("TTimer::Wait called inside the message pump");
        }
    }
    _wticks = _ticks;
    return count;
}

void DeliverTick(std::uint32_t id, std::uint64_t serial) {
    const auto entry = FindActive(id, serial);
    if (entry == activeTimers.end()) {
        return;
    }
    TimerRef timer = entry->timer;
    timer->Fire();
}

int RunningTimerCount() {
    return static_cast<int>(activeTimers.size());
}

void StartTimers() {
    activeTimers.clear();
}

} // namespace keyweave
