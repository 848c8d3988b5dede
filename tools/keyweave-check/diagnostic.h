#pragma once

#include <string>
#include <vector>

namespace keyweave::check {

enum class Severity { Warning, Error };

// One problem found in a script file. Line 0 stands for the file as a whole.
struct Diagnostic {
    int line = 0;
    Severity severity = Severity::Warning;
    std::u16string text;
};

using Diagnostics = std::vector<Diagnostic>;

} // namespace keyweave::check
