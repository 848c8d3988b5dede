#pragma once

#include "runtime/object.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace keyweave {

// One compiled script step. Made only by Create and never changed afterwards.
class TCommand : public TObject {
public:
    std::u16string Command; // upper case: "KEYDOWN", "SLEEP", ...
    std::int32_t Value = 0;
    std::int32_t Value2 = 0;

    static std::shared_ptr<TCommand> Create(const std::u16string& command, std::int32_t value,
                                            std::int32_t value2);

    // The one-line text of the script view: "KeyDown( KEY_A )", "Sleep( 100 )", ...; "" for a
    // name that is none of the eleven commands.
    std::u16string DisplayForm() const;
};

using CommandRef = std::shared_ptr<TCommand>;
using CommandList = std::vector<CommandRef>;

// The script view's listing: each command's display form, indented with tabs by a depth that
// drops before each KEYUP or MOUSEUP and rises after each KEYDOWN or MOUSEDOWN.
std::vector<std::u16string> DisplayLines(const CommandList& commands);

} // namespace keyweave
