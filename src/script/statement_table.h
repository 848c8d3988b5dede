#pragma once

#include "runtime/gui/gadget.h"
#include "script/command.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace keyweave {

// What a statement reads from one of its argument pieces.
enum class ArgumentKind : std::uint8_t {
    Key,        // a keyboard key's name, compiled to its code
    Button,     // a mouse button's name, compiled to its code
    Duration,   // a number of milliseconds
    Coordinate, // a number of pixels
    Text,       // characters, each typed on the key whose code it has
};

struct Argument {
    ArgumentKind kind = ArgumentKind::Key;
    std::u16string_view role; // what the argument is called in messages: "key", "interval", ...
};

// The arguments a statement uses, in order; any further pieces of its line are ignored.
class Arguments {
public:
    constexpr Arguments() = default;
    constexpr Arguments(Argument first) : items_{first, {}}, count_(1) {}
    constexpr Arguments(Argument first, Argument second) : items_{first, second}, count_(2) {}

    constexpr const Argument* begin() const { return items_.data(); }
    constexpr const Argument* end() const { return items_.data() + count_; }
    constexpr std::size_t size() const { return count_; }
    constexpr bool empty() const { return count_ == 0; }
    constexpr const Argument& operator[](std::size_t index) const { return items_[index]; }

private:
    std::array<Argument, 2> items_{};
    std::size_t count_ = 0;
};

// How a statement's arguments become commands.
enum class Compilation : std::uint8_t {
    Single,        // one command; its Value and Value2 are the arguments in order, -1 past them
    Stroke,        // the press, a wait of the second argument, the release
    EachCharacter, // a stroke for each character of the text that has a key, waits in between
};

// One statement of the script language and everything that is known about it.
struct Statement {
    std::u16string_view keyword; // lower case, as the parser matches it
    Compilation compilation;
    Operation operation; // Single: its command's operation; Stroke, EachCharacter: the press
    Operation release;   // Stroke, EachCharacter: the release of what the press holds
    Arguments arguments;
    // Single statements only: the name of their command, the name its display form shows, and
    // that name's colour in the script view.
    std::u16string_view command;
    std::u16string_view displayName;
    Rgb colour;
};

// Every statement of the script language. Each operation but None is the operation of exactly
// one Single statement, which names its command.
inline constexpr auto kStatements = [] {
    using enum ArgumentKind;
    using enum Compilation;
    using enum Operation;
    constexpr Argument key{Key, u"key"};
    constexpr Argument button{Button, u"button"};
    constexpr Argument duration{Duration, u"duration"};
    constexpr Argument interval{Duration, u"interval"};
    constexpr Argument x{Coordinate, u"x coordinate"};
    constexpr Argument y{Coordinate, u"y coordinate"};
    constexpr Argument text{Text, u"text"};
    // The view colours the words of the commands that drive the keyboard and the mouse in one
    // colour, waits in another and the ends of a run in a third.
    constexpr Rgb input{255, 255, 0};
    constexpr Rgb wait{0, 255, 102};
    constexpr Rgb runState{255, 100, 100};
    // clang-format off
    return std::to_array<Statement>({
    //   keyword             compiles       operation      release        arguments           command             display name        colour
        {u"keystring",       EachCharacter, PressKey,      ReleaseKey,    {text, interval},   {},                 {},                 {}},
        {u"keydown",         Single,        PressKey,      None,          {key},              u"KEYDOWN",         u"KeyDown",         input},
        {u"keyup",           Single,        ReleaseKey,    None,          {key},              u"KEYUP",           u"KeyUp",           input},
        {u"keystroke",       Stroke,        PressKey,      ReleaseKey,    {key, interval},    {},                 {},                 {}},
        {u"sleep",           Single,        Wait,          None,          {duration},         u"SLEEP",           u"Sleep",           wait},
        {u"lockmouse",       Single,        LockCursor,    None,          {},                 u"LOCKMOUSE",       u"LockMouse",       input},
        {u"unlockmouse",     Single,        UnlockCursor,  None,          {},                 u"UNLOCKMOUSE",     u"UnlockMouse",     input},
        {u"mouseloc",        Single,        MoveCursor,    None,          {x, y},             u"MOUSELOC",        u"MouseLoc",        input},
        {u"restoremouseloc", Single,        RestoreCursor, None,          {},                 u"RESTOREMOUSELOC", u"RestoreMouseLoc", input},
        {u"mousedown",       Single,        PressButton,   None,          {button},           u"MOUSEDOWN",       u"MouseDown",       input},
        {u"mouseup",         Single,        ReleaseButton, None,          {button},           u"MOUSEUP",         u"MouseUp",         input},
        {u"mousestroke",     Stroke,        PressButton,   ReleaseButton, {button, interval}, {},                 {},                 {}},
        {u"stop",            Single,        Stop,          None,          {},                 u"STOP",            u"Stop",            runState},
        {u"pause",           Single,        Pause,         None,          {},                 u"PAUSE",           u"Pause",           runState},
    });
    // clang-format on
}();

// The statement of a lower-case keyword, or null.
const Statement* FindStatement(std::u16string_view keyword);

// The Single statement whose command performs `operation`; null for Operation::None.
const Statement* StatementOf(Operation operation);

// The operation of a command name compared in upper case; None for a name that no statement
// compiles to.
Operation OperationNamed(std::u16string_view name);

} // namespace keyweave
