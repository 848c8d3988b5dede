#include "platform/win32/timer_source.h"

#include <mmsystem.h>

namespace keyweave::win32 {

namespace {

void CALLBACK OnTimer(UINT id, UINT, DWORD_PTR user, DWORD_PTR, DWORD_PTR) {
    const auto* tick = reinterpret_cast<const Win32TimerSource::Tick*>(user);
    tick->onTick(id, tick->user);
}

} // namespace

Win32TimerSource::~Win32TimerSource() {
    while (!running_.empty()) {
        Kill(running_.begin()->first);
    }
}

std::uint32_t Win32TimerSource::StartPeriodic(std::uint32_t periodMs, TickCallback onTick,
                                              std::uintptr_t user) {
    if (periodMs == 0 || periodMs > kMaxTimerPeriodMs) {
        return 0;
    }
    auto tick = std::make_unique<Tick>(Tick{onTick, user});
    // With TIME_KILL_SYNCHRONOUS no tick starts after timeKillEvent, so Kill can free `tick`.
    const MMRESULT id =
        timeSetEvent(periodMs, 0, OnTimer, reinterpret_cast<DWORD_PTR>(tick.get()),
                     TIME_PERIODIC | TIME_CALLBACK_FUNCTION | TIME_KILL_SYNCHRONOUS);
    if (id == 0) {
        return 0;
    }
    running_[id] = std::move(tick);
    return id;
}

void Win32TimerSource::Kill(std::uint32_t id) {
    const auto entry = running_.find(id);
    if (entry == running_.end()) {
        return;
    }
    timeKillEvent(id);
    running_.erase(entry);
}

} // namespace keyweave::win32
