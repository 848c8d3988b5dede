#pragma once

#include "support/x_session.h"

#include <string>
#include <vector>

namespace keyweave::bench {

inline constexpr int kRequestSamples = 40;

// From running `keyweave --toggle NAME` beside the running program, process start included,
// to the script's first key on the X server, kRequestSamples times; and how long each of those
// processes took to end. False with `problem` set when a request was not carried out.
bool MeasureRequestLatency(x11test::XSession& session, const std::string& program,
                           const std::string& scratch, std::vector<double>& latencies,
                           std::vector<double>& durations, std::string& problem);

} // namespace keyweave::bench
