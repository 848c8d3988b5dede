#include "table.h"

#include <cstdio>

namespace keyweave::bench {
namespace {

void PrintFigures(const Summary& s) {
    if (s.count == 1) {
        std::printf(" %5d | %8.2f | %7s | %7s | %7s | %7s |", 1, s.mean, "", "", "", "");
    } else {
        std::printf(" %5d | %8.3f | %7.3f | %7.3f | %7.3f | %7.3f |", s.count, s.mean, s.p50, s.p95,
                    s.p99, s.max);
    }
}

void PrintTable(const std::string& heading, const std::vector<Row>& rows) {
    std::printf("\n%s\n\n", heading.c_str());
    std::printf("%-34s | %-8s | %5s | %8s | %7s | %7s | %7s | %7s | %-27s | %s\n", "measure",
                "program", "n", "mean", "p50", "p95", "p99", "max",
                "2 ms sleeper late p50/p95/p99/max", "note");
    std::printf("%s\n", std::string(150, '-').c_str());
    for (const Row& row : rows) {
        std::printf("%-34s | %-8s |", row.measure.c_str(), row.program.c_str());
        PrintFigures(row.figures);
        if (row.sleeper.count > 0) {
            std::printf(" %5.2f/%5.2f/%5.2f/%6.2f           |", row.sleeper.p50, row.sleeper.p95,
                        row.sleeper.p99, row.sleeper.max);
        } else {
            std::printf(" %-33s |", "");
        }
        std::printf(" %s\n", row.note.c_str());
    }
}

} // namespace

int Report(const std::string& tool, const std::string& heading, const std::vector<Row>& rows,
           const std::string& problem) {
    PrintTable(heading, rows);
    if (problem.empty()) {
        return 0;
    }
    std::fprintf(stderr, "%s: stopped early: %s\n", tool.c_str(), problem.c_str());
    return 1;
}

} // namespace keyweave::bench
