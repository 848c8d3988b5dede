#include "statistics.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace keyweave::bench {
namespace {

double NearestRank(const std::vector<double>& sorted, double percent) {
    const auto rank = static_cast<std::size_t>(std::ceil(percent / 100.0 * sorted.size()));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

} // namespace

Summary Summarize(std::vector<double> values) {
    Summary summary;
    if (values.empty()) {
        return summary;
    }
    std::sort(values.begin(), values.end());
    summary.count = static_cast<int>(values.size());
    summary.mean = std::accumulate(values.begin(), values.end(), 0.0) / values.size();
    summary.p50 = NearestRank(values, 50);
    summary.p95 = NearestRank(values, 95);
    summary.p99 = NearestRank(values, 99);
    summary.max = values.back();
    return summary;
}

} // namespace keyweave::bench
