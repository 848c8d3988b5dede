#pragma once

#include "statistics.h"

#include <string>
#include <vector>

namespace keyweave::bench {

// One figure of one program, how late a bare 2 ms sleeper woke while it was measured, and what
// the figure means.
struct Row {
    std::string measure;
    std::string program;
    Summary figures;
    Summary sleeper;
    std::string note;
};

// Prints `heading`, then the rows under the columns measure, program, n, mean, p50, p95, p99,
// max, the sleeper's lateness (p50/p95/p99/max) and note; then on standard error the problem
// that stopped `tool` early, if any. Returns the tool's exit status.
int Report(const std::string& tool, const std::string& heading, const std::vector<Row>& rows,
           const std::string& problem);

} // namespace keyweave::bench
