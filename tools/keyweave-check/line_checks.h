#pragma once

#include "diagnostic.h"
#include "script/parser.h"

namespace keyweave::check {

// The warnings about one line of a script file, from what the parser made of it.
void InspectLine(const LineOutcome& outcome, const ScriptParser& parser, int line,
                 Diagnostics& out);

} // namespace keyweave::check
