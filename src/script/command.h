#pragma once

#include "runtime/object.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace keyweave {

// What the player does for a command. Each of the eleven command names has one; every other
// name has None, which the player skips.
enum class Operation : std::uint8_t {
    None,
    PressKey,
    ReleaseKey,
    PressButton,
    ReleaseButton,
    Wait,
    MoveCursor,
    RestoreCursor,
    LockCursor,
    UnlockCursor,
    Stop,
    Pause,
};

// Whether an operation holds down a key or button, or lets one go.
constexpr bool Presses(Operation operation) {
    return operation == Operation::PressKey || operation == Operation::PressButton;
}
constexpr bool Releases(Operation operation) {
    return operation == Operation::ReleaseKey || operation == Operation::ReleaseButton;
}

// One compiled script step. Made only by Create and never changed afterwards.
class TCommand : public TObject {
public:
    std::u16string Command; // upper case: "KEYDOWN", "SLEEP", ...
    std::int32_t Value = 0;
    std::int32_t Value2 = 0;
    // The operation of Command, compared in upper case; found once, by Create.
    Operation Performs = Operation::None;

    static std::shared_ptr<TCommand> Create(const std::u16string& command, std::int32_t value,
                                            std::int32_t value2);

    // The one-line text of the script view: "KeyDown( KEY_A )", "Sleep( 100 )", ...; "" for a
    // name that is none of the eleven commands written in upper case. The text is also a
    // statement line, which compiles back to this command when its key or button has a name.
    std::u16string DisplayForm() const;

    // The statement line that compiles to this command, as scripts spell it: "KeyDown(KEY_A)",
    // "Sleep(8)", "MouseLoc(400, 300)"; "" for the operation None.
    std::u16string StatementLine() const;
};

using CommandRef = std::shared_ptr<TCommand>;
using CommandList = std::vector<CommandRef>;

// The script view's listing: each command's display form, indented with tabs by a depth that
// drops before each release of a key or button and rises after each press.
std::vector<std::u16string> DisplayLines(const CommandList& commands);

} // namespace keyweave
