#pragma once

#include <vector>

namespace keyweave::bench {

// Count, mean and percentiles of a set of figures (milliseconds, as the benchmark uses them).
struct Summary {
    int count = 0;
    double mean = 0;
    double p50 = 0;
    double p95 = 0;
    double p99 = 0;
    double max = 0;
};

// Percentiles are the nearest rank: p95 is the smallest value that at least 95 % of the values
// do not exceed. All zero for no values.
Summary Summarize(std::vector<double> values);

} // namespace keyweave::bench
