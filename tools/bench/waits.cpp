#include "waits.h"

#include <cmath>
#include <cstdio>

namespace keyweave::bench {

std::string WaitScript(const std::string& name, int ms, int pairs) {
    std::string text = "?kweaver\r\n{" + name + "\r\n";
    const std::string wait = "Sleep(" + std::to_string(ms) + ")\r\n";
    for (int i = 0; i < pairs; ++i) {
        text += "KeyDown(KEY_A)\r\n" + wait + "KeyUp(KEY_A)\r\n";
        if (i + 1 < pairs) {
            text += wait;
        }
    }
    return text + "Stop()\r\n";
}

std::vector<double> AbsoluteErrors(const std::vector<double>& gaps, double expected) {
    std::vector<double> errors;
    for (double gap : gaps) {
        errors.push_back(std::fabs(gap - expected));
    }
    return errors;
}

std::string MeanLate(const std::vector<double>& gaps, double expected) {
    double sum = 0;
    for (double gap : gaps) {
        sum += gap - expected;
    }
    char text[64];
    std::snprintf(text, sizeof text, "mean late %+.3f", gaps.empty() ? 0.0 : sum / gaps.size());
    return text;
}

Row WaitRow(const std::string& program, int ms, const std::vector<double>& gaps, double expected,
            const Summary& sleeper, const std::string& against) {
    return {"wait " + std::to_string(ms) + " ms, |error|", program,
            Summarize(AbsoluteErrors(gaps, expected)), sleeper,
            against + ", " + MeanLate(gaps, expected)};
}

} // namespace keyweave::bench
