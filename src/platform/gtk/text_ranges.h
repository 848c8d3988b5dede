#pragma once

#include "runtime/gui/text_ranges.h"

#include <string_view>

namespace keyweave::gtk {

// The number of code points before `units` code units of the text: how far a position is in
// a toolkit that counts characters (a surrogate pair is one character there).
int CodePointsBefore(std::u16string_view text, int units);

// Whether the text has surrogate pairs, so that code units and code points differ.
bool HasSurrogates(std::u16string_view text);

} // namespace keyweave::gtk
