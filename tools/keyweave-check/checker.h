#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace keyweave::check {

// Exit statuses of keyweave-check.
inline constexpr int kAllScripts = 0;
inline constexpr int kProblems = 1;
inline constexpr int kUsageError = 2;

// The whole command: the arguments after the program name (UTF-8), the report on `out`, the
// diagnostics and usage errors on `err`. Returns the exit status.
int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace keyweave::check
