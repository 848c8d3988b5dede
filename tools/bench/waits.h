#pragma once

#include "table.h"

#include <string>
#include <vector>

namespace keyweave::bench {

// A script that presses and releases A `pairs` times with a wait of `ms` between every two
// events, then stops itself: every gap between two consecutive events holds one wait.
std::string WaitScript(const std::string& name, int ms, int pairs);

// |gap - expected| for each gap.
std::vector<double> AbsoluteErrors(const std::vector<double>& gaps, double expected);
// The mean of gap - expected, as a note: whether the errors are lateness.
std::string MeanLate(const std::vector<double>& gaps, double expected);

// The row "wait `ms` ms, |error|" of a program: each gap against `expected`, with a note that
// says which gaps were measured against what (`against`) and their signed mean.
Row WaitRow(const std::string& program, int ms, const std::vector<double>& gaps, double expected,
            const Summary& sleeper, const std::string& against);

} // namespace keyweave::bench
