#pragma once

#include "diagnostic.h"
#include "script/command.h"
#include "script/parser.h"

#include <string>

namespace keyweave::check {

// A script file as the library loads it, with the problems found on the way.
struct FileReport {
    bool isScript = false;
    std::u16string name;
    CommandList commands;
    Diagnostics diagnostics; // in line order
};

// Reads and compiles one file line by line, exactly as TScript::Read does, and inspects every
// line. Needs the key table.
FileReport CheckFile(const std::u16string& path, const ScriptBudget& budget = kScriptBudget);

} // namespace keyweave::check
