#pragma once

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

// NowMs as a clock type, for the templates that take one.
struct PerformanceClock {
    static double now() { return NowMs(); }
};

} // namespace keyweave::win32
