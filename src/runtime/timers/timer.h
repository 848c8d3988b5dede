#pragma once

#include "runtime/events/event.h"
#include "runtime/object.h"

#include <cstdint>
#include <memory>

namespace keyweave {

inline constexpr int kMaxRunningTimers = 16;

// The period of a timer running at `hertz` ticks per second: 1000 / hertz truncated toward
// zero to 64 bits, keeping the low 32 bits. 1/3 Hz (0.33333334f) gives 2999 ms.
std::uint32_t TimerPeriodMs(float hertz);

// A periodic timer whose ticks are counted on the main thread.
class TTimer : public TObject {
public:
    // Starts a timer; null when 16 timers run already or the platform refuses the period.
    // Each tick emits `event`, or a fresh TimerTick event when it is null.
    static std::shared_ptr<TTimer> Create(float hertz, EventRef event);

    int Ticks() const { return _ticks; }

    // Stops the timer; harmless on a stopped timer. Ticks posted before are dropped.
    void Stop();

    // Counts one tick and emits its event (called on the main thread by the tick delivery).
    void Fire();

    // Pumps messages until at least one new tick was counted; returns the ticks since the
    // previous Wait(), or 0 for a stopped timer.
    int Wait();

    bool IsRunning() const { return _handle != 0; }

private:
    int _ticks = 0;
    int _wticks = 0;
    EventRef _event;
    std::uint32_t _handle = 0;
    std::uint64_t _serial = 0;

    friend void DeliverTick(std::uint32_t id, std::uint64_t serial);
};

using TimerRef = std::shared_ptr<TTimer>;

// Main-thread delivery of one tick of platform timer `id`: reaches the timer only if that id
// still belongs to the timer with this serial number.
void DeliverTick(std::uint32_t id, std::uint64_t serial);

// The number of running timers (the active timer table's count).
int RunningTimerCount();

// Start-up of the timer service: an empty active timer table.
void StartTimers();

} // namespace keyweave
