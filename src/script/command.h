#pragma once

#include <cstdint>
#include <deque>
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
inline constexpr std::size_t kOperationCount = static_cast<std::size_t>(Operation::Pause) + 1;

// Whether an operation holds down a key or button, or lets one go.
constexpr bool Presses(Operation operation) {
    return operation == Operation::PressKey || operation == Operation::PressButton;
}
constexpr bool Releases(Operation operation) {
    return operation == Operation::ReleaseKey || operation == Operation::ReleaseButton;
}

// One compiled script step: a few machine words, held by value in its script's DataList,
// made only by Create and never changed afterwards. A script may hold millions of them.
class TCommand {
public:
    std::int32_t Value = 0;
    std::int32_t Value2 = 0;
    // The operation of Command(), compared in upper case; found once, by Create.
    Operation Performs = Operation::None;

    static TCommand Create(const std::u16string& command, std::int32_t value, std::int32_t value2);
    // The command of an operation other than None, with the name that its statement gives it:
    // what the parser and the recorder make, millions of times for a long script.
    static TCommand Create(Operation operation, std::int32_t value, std::int32_t value2);

    // The command's name as it was created: upper case "KEYDOWN", "SLEEP", ... for every
    // command the parser makes. Each distinct name is kept once for the whole program.
    const std::u16string& Command() const;

    // The one-line text of the script view: "KeyDown( KEY_A )", "Sleep( 100 )", ...; "" for a
    // name that is none of the eleven commands written in upper case. The text is also a
    // statement line, which compiles back to this command when its key or button has a name.
    std::u16string DisplayForm() const;

    // The statement line that compiles to this command, as scripts spell it: "KeyDown(KEY_A)",
    // "Sleep(8)", "MouseLoc(400, 300)"; "" for the operation None.
    std::u16string StatementLine() const;

private:
    std::uint32_t name_ = 0;
};

// A script's commands in order. Growing it never moves or copies what it holds, so a script of
// millions of commands costs no more than its commands while it is compiled.
using CommandList = std::deque<TCommand>;

// Consecutive commands of a list, seen where they are rather than copied.
class CommandStretch {
public:
    using Iterator = CommandList::const_iterator;

    CommandStretch(Iterator first, Iterator last) : first_(first), last_(last) {}

    Iterator begin() const { return first_; }
    Iterator end() const { return last_; }
    std::size_t size() const { return static_cast<std::size_t>(last_ - first_); }
    bool empty() const { return first_ == last_; }
    const TCommand& front() const { return *first_; }
    const TCommand& operator[](std::size_t index) const {
        return first_[static_cast<std::ptrdiff_t>(index)];
    }

private:
    Iterator first_;
    Iterator last_;
};

// The script view's listing: each command's display form, indented with tabs by a depth that
// drops before each release of a key or button and rises after each press; the first
// `mostLines` of them.
std::vector<std::u16string> DisplayLines(const CommandList& commands,
                                         std::size_t mostLines = std::size_t(-1));

} // namespace keyweave
