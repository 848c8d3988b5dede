#pragma once

#include "platform/loop/loop_time.h"

#include <windows.h>

namespace keyweave::win32 {

// Milliseconds of the performance counter, the clock that every process shares.
inline double NowMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

// A moment of the performance counter given in its milliseconds, on the loop's clock.
inline LoopTime LoopTimeOfMs(double ms) {
    return LoopTime(
        std::chrono::duration_cast<LoopDuration>(std::chrono::duration<double, std::milli>(ms)));
}

// The performance counter on the loop's clock.
inline LoopTime PerformanceNow() {
    return LoopTimeOfMs(NowMs());
}

// Milliseconds of the performance counter of a moment on the loop's clock.
inline double MsOfLoopTime(LoopTime time) {
    return std::chrono::duration<double, std::milli>(time.time_since_epoch()).count();
}

} // namespace keyweave::win32
