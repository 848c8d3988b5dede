#pragma once

#include "platform/loop/loop_timers.h"
#include "platform/platform.h"
#include "platform/win32/input_devices.h"
#include "platform/win32/performance_clock.h"
#include "platform/win32/win32_gadget_driver.h"
#include "platform/win32/win32_input_watcher.h"
#include "platform/win32/win32_system_driver.h"
#include "platform/win32/win32_timer_wakes.h"

#include <string>

namespace keyweave::win32 {

// The folder of the program file, with its final separator; empty when it cannot be told.
// settings.ini and Scripts\ live there, wherever the program was started from.
std::wstring ProgramFolder();

// Process-wide set-up, once, before the platform is made: the program's folder becomes the
// current directory, positions are physical pixels on scaled displays (per-monitor DPI
// awareness), the 1 ms timer resolution is requested for the life of the process and kept
// while the windows are hidden or minimised, and the common controls are registered.
void PrepareProcess();

// The size of the primary screen in physical pixels.
ScreenSize PrimaryScreenSize();

class Win32Platform final : public Platform {
public:
    Win32Platform();

    Win32SystemDriver& Win32System() { return system_; }

private:
    RawInputSink rawInput_;
    KeyChangeWatch keyChanges_;
    Win32InputWatcher watcher_;
    TickSchedule ticks_;
    TurnClock turn_{PerformanceNow};
    LoopTimers timers_{ticks_, turn_};
    Win32TimerWakes wakes_{ticks_};
    Win32SystemDriver system_;
    ScreenSize desktop_;
    Win32Keyboard keyboard_;
    Win32Mouse mouse_;
    Win32GadgetDriver gadgets_;
};

} // namespace keyweave::win32
