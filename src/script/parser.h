#pragma once

#include "runtime/files/files.h"
#include "script/command.h"
#include "script/statement_table.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace keyweave {

// A number as scripts write it: optional blanks, an optional sign, then "%" and binary
// digits, "$" and hexadecimal digits, or decimal digits. Reading stops at the first character
// that does not fit; overflow wraps modulo 2^32.
struct NumberReading {
    std::int32_t value = 0;
    bool hasDigits = false;   // false: the text reads as 0
    std::size_t consumed = 0; // characters used, up to the first that does not fit
};
NumberReading ReadNumber(const std::u16string& text);

// The operand that an argument's piece compiles to: the code of a key or button name, or a
// number. A text is no operand (-1): each of its characters is typed by commands of its own.
std::int32_t ReadOperand(const Argument& argument, const std::u16string& piece);

// The operands of argument pieces, remembered by piece for key and button names: a long script
// names few keys, and the key table is searched once for each. A file of ever new names is
// read without remembering them past the first few hundred.
class OperandReader {
public:
    std::int32_t Read(const Argument& argument, const std::u16string& piece);

private:
    static constexpr std::size_t kMostRemembered = 256;

    std::unordered_map<std::u16string, std::int32_t> keys_;
    std::unordered_map<std::u16string, std::int32_t> buttons_;
};

// The argument pieces of a statement line into `pieces`: the text from its first "(" on,
// without any parentheses, trimmed, without blanks, split at every comma.
void SplitArguments(std::u16string_view line, std::vector<std::u16string>& pieces);

// What a script may take. A file larger than `bytes` is not read; one with more than `lines`
// lines, a line longer than `lineCharacters`, or that compiles to more than `commands`
// commands, is left out once that shows. So no file, however it is made, can exhaust the
// program's memory or hold up its start.
struct ScriptBudget {
    std::int64_t bytes;
    std::size_t lineCharacters;
    std::size_t commands;
    std::size_t lines;
};

// One script: far beyond what anyone writes or records (an hour's recording of a busy user is
// under a million commands). Its commands take at most 64 MiB.
inline constexpr ScriptBudget kScriptBudget{32 << 20, 1 << 20, 4 << 20, 2 << 20};

// Every script of the library together: a start or a reload reads at most 64 MiB and 2 Mi
// lines of scripts and compiles at most 4 Mi commands (64 MiB), whatever the folder holds.
// Each of these costs time as well as memory: together they keep a start well under a second.
inline constexpr ScriptBudget kLibraryBudget{64 << 20, kScriptBudget.lineCharacters, 4 << 20,
                                             2 << 20};

// What reading a file took, whether or not it turned out to be a script: the lines read and
// the commands compiled, also those given back when the file passed its budget.
struct ReadCost {
    std::size_t lines = 0;
    std::size_t commands = 0;
};

// Why a file is too large to be a script.
enum class Oversize { None, File, Lines, Line, Commands };

// What one line of a script file turned out to be.
enum class LineKind {
    Comment,        // starts with two backslashes
    Empty,          // nothing but blanks and control characters
    BeforeHeader,   // any other line before the header
    Header,         // "?kweaver", any case
    NameLine,       // the line after the header, starting with "{"
    ConsumedAsName, // the line after the header without "{": taken as the name line
    NoParenthesis,  // a statement line without "(": ignored
    UnknownKeyword, // ignored
    Statement,      // compiled
    TooLarge,       // the file passed its budget here or before: nothing more is read
};

struct LineOutcome {
    LineKind kind = LineKind::Empty;
    std::u16string trimmed;               // the trimmed line
    std::u16string keyword;               // statements: lower-cased keyword
    std::vector<std::u16string> pieces;   // statements: the argument pieces
    const Statement* statement = nullptr; // statements: the statement of the keyword
    std::size_t firstCommand = 0;         // statements: index of its first command in commands()
    std::size_t commandCount = 0;         // statements: number of commands it appended
};

// The script language, one line at a time. Used by TScript::Read on the lines of a file, and
// by keyweave-check, which inspects each line's outcome.
class ScriptParser {
public:
    explicit ScriptParser(ScriptBudget budget = kScriptBudget) : budget_(budget) {}

    // What the line turned out to be. The outcome is the parser's own, valid until the next
    // line: its strings keep their room, so a long file costs no allocation per line.
    const LineOutcome& ProcessLine(std::u16string_view line);

    // Reads a file's lines, each up to the budget's length, until its end or until it passes
    // its budget; `inspect` gets each line and what it turned out to be.
    template <typename Inspect> void ReadFile(TCStream& file, Inspect inspect) {
        if (file.Size() > budget_.bytes) {
            GiveUp(Oversize::File);
        }
        std::u16string line;
        while (oversize_ == Oversize::None && !file.Eof()) {
            if (++linesRead_ > budget_.lines) {
                inspect(PassedBudget(Oversize::Lines));
            } else {
                file.ReadLineInto(line, budget_.lineCharacters + 1);
                inspect(line.size() > budget_.lineCharacters ? PassedBudget(Oversize::Line)
                                                             : ProcessLine(line));
            }
        }
    }

    // True once a header has been followed by another significant line, and the file kept
    // within its budget.
    bool IsScript() const { return state_ == State::Statements && oversize_ == Oversize::None; }
    Oversize TooLarge() const { return oversize_; }
    const ScriptBudget& Budget() const { return budget_; }
    bool SawHeader() const { return state_ != State::SeekHeader; }
    // True when the line after the header started with "{" and so gave the name.
    bool HasNameLine() const { return hasNameLine_; }
    const std::u16string& name() const { return name_; }
    const CommandList& commands() const { return commands_; }
    CommandList TakeCommands() { return std::move(commands_); }
    ReadCost Cost() const { return {linesRead_, givenBack_ + commands_.size()}; }

private:
    enum class State { SeekHeader, ExpectName, Statements };
    void TakeNameLine(LineOutcome& outcome);
    void CompileStatement(LineOutcome& outcome);
    // The outcome emptied for the next line.
    LineOutcome& NextOutcome();
    const LineOutcome& PassedBudget(Oversize why);
    void GiveUp(Oversize why);

    ScriptBudget budget_;
    OperandReader operands_;
    Oversize oversize_ = Oversize::None;
    State state_ = State::SeekHeader;
    std::u16string name_;
    bool hasNameLine_ = false;
    std::size_t linesRead_ = 0; // by ReadFile, the one that passed the budget included
    std::size_t givenBack_ = 0;
    LineOutcome outcome_;
    CommandList commands_;
};

} // namespace keyweave
