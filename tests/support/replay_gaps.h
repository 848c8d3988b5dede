#pragma once

namespace keyweave::testing {

// A recording's replay keeps each gap of kKeptGapMs or more between two of its events as it
// was recorded; shorter gaps replay one 2 ms turn apart. Comparisons of a replay with its
// recording measure the kept gaps' errors against this threshold, the Wine tests' too
// (tests/wine/wine_tests.py reads the number from the line below).
inline constexpr int kKeptGapMs = 5;

} // namespace keyweave::testing
