#pragma once

#include "platform/timer_source.h"

#include <map>
#include <memory>
#include <windows.h>

namespace keyweave::win32 {

// Periodic multimedia timers (timeSetEvent). Ticks run on the system's timer thread.
class Win32TimerSource final : public TimerSource {
public:
    Win32TimerSource() = default;
    ~Win32TimerSource() override;
    Win32TimerSource(const Win32TimerSource&) = delete;
    Win32TimerSource& operator=(const Win32TimerSource&) = delete;

    std::uint32_t StartPeriodic(std::uint32_t periodMs, TickCallback onTick,
                                std::uintptr_t user) override;
    void Kill(std::uint32_t id) override;

    struct Tick {
        TickCallback onTick;
        std::uintptr_t user;
    };

private:
    // What each running timer calls; read by the timer thread until the timer is killed.
    std::map<std::uint32_t, std::unique_ptr<Tick>> running_;
};

} // namespace keyweave::win32
