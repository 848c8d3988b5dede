#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace keyweave {

// The presses that the program injected and has not released yet: one entry per press, the
// code as a decimal text, in the order of the presses. The keyboard and the mouse keep one each.
using InjectedList = std::vector<std::u16string>;

void RecordPress(InjectedList& list, std::int32_t code);

// Forgets the first entry of this code; a release of a code that was never pressed changes
// nothing.
void RecordRelease(InjectedList& list, std::int32_t code);

// The codes of the entries, in the order of the presses.
std::vector<std::int32_t> OutstandingPresses(const InjectedList& list);

} // namespace keyweave
