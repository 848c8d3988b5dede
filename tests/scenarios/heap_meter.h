#pragma once

#include <cstddef>

namespace keyweave::scenario {

// The bytes that operator new has handed out and not yet taken back, counted by the
// replacements of the global operator new and delete in heap_meter.cpp. Portable, and blind to
// memory that bypasses operator new (C's malloc, the system's own allocations).
std::size_t LiveHeapBytes();

// The highest LiveHeapBytes() since the last ResetHeapPeak().
std::size_t PeakHeapBytes();
void ResetHeapPeak();

} // namespace keyweave::scenario
