#include "platform/win32/win32_timer_wakes.h"

#include "platform/win32/performance_clock.h"

#include <mmsystem.h>

namespace keyweave::win32 {

namespace {

void CALLBACK KeepAlive(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR) {}

// Wine ends its timer thread when the last multimedia timer is killed and starts a new one
// with the next timer: a thread start and end for every wait of a script, which delays the
// main thread and cost a playing script a fifth of a core. A timer that never stops keeps that
// thread; it wakes once a minute and does nothing.
constexpr UINT kKeepAlivePeriodMs = 60'000;

} // namespace

Win32TimerWakes::Win32TimerWakes(TickSchedule& ticks)
    : ticks_(ticks), keepAlive_(timeSetEvent(kKeepAlivePeriodMs, kKeepAlivePeriodMs, KeepAlive, 0,
                                             TIME_PERIODIC | TIME_CALLBACK_FUNCTION)) {}

Win32TimerWakes::~Win32TimerWakes() {
    for (const auto& [id, wake] : wakes_) {
        timeKillEvent(wake);
    }
    if (keepAlive_ != 0) {
        timeKillEvent(keepAlive_);
    }
}

void CALLBACK Win32TimerWakes::OnTimer(UINT, UINT, DWORD_PTR self, DWORD_PTR, DWORD_PTR) {
    auto& wakes = *reinterpret_cast<Win32TimerWakes*>(self);
    if (!wakes.pauseWakes_.load(std::memory_order_acquire)) {
        wakes.ticks_.FireDue(PerformanceNow());
    }
}

// With TIME_KILL_SYNCHRONOUS no call starts after timeKillEvent returns.
bool Win32TimerWakes::Started(std::uint32_t id, LoopDuration period) {
    const auto periodMs =
        static_cast<UINT>(std::chrono::duration_cast<std::chrono::milliseconds>(period).count());
    const MMRESULT wake =
        timeSetEvent(periodMs, 0, OnTimer, reinterpret_cast<DWORD_PTR>(this),
                     TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
    if (wake == 0) {
        return false;
    }
    wakes_[id] = wake;
    return true;
}

void Win32TimerWakes::Killed(std::uint32_t id) {
    const auto entry = wakes_.find(id);
    if (entry != wakes_.end()) {
        timeKillEvent(entry->second);
        wakes_.erase(entry);
    }
}

} // namespace keyweave::win32
