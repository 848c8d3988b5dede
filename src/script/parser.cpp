#include "script/parser.h"

#include "input/keyboard.h"
#include "input/mouse.h"
#include "runtime/strings.h"

#include <algorithm>
#include <array>
#include <optional>

namespace keyweave {

namespace {

constexpr std::int32_t kNone = -1;

int DigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') {
        return c - u'0';
    }
    if (c >= u'a' && c <= u'f') {
        return c - u'a' + 10;
    }
    if (c >= u'A' && c <= u'F') {
        return c - u'A' + 10;
    }
    return 16;
}

std::u16string Without(std::u16string text, char16_t removed) {
    text.erase(std::remove(text.begin(), text.end(), removed), text.end());
    return text;
}

// A statement with one argument has one piece; a missing second argument reads as empty,
// which is the number 0.
const std::u16string& Piece(const std::vector<std::u16string>& pieces, std::size_t index) {
    static const std::u16string missing;
    return index < pieces.size() ? pieces[index] : missing;
}

std::int32_t Operand(OperandReader& operands, const Statement& statement,
                     const std::vector<std::u16string>& pieces, std::size_t index) {
    return operands.Read(statement.arguments[index], Piece(pieces, index));
}

// The commands of one file, appended up to its budget: past it, nothing more is appended.
class BoundedCommands {
public:
    BoundedCommands(CommandList& commands, std::size_t most) : commands_(commands), most_(most) {}

    void Append(Operation operation, std::int32_t value, std::int32_t value2 = kNone) {
        if (commands_.size() >= most_) {
            passed_ = true;
            return;
        }
        commands_.push_back(TCommand::Create(operation, value, value2));
    }

    bool Passed() const { return passed_; }

private:
    CommandList& commands_;
    std::size_t most_;
    bool passed_ = false;
};

void AppendStroke(BoundedCommands& commands, const Statement& statement, std::int32_t code,
                  std::int32_t interval) {
    commands.Append(statement.operation, code);
    commands.Append(Operation::Wait, interval);
    commands.Append(statement.release, code);
}

// The keyboard key of each character code, looked up in the table once per code: a long text
// repeats few codes.
class KeysOfCharacters {
public:
    const KeyRef& Find(char16_t code) {
        if (code >= known_.size()) {
            other_ = TKeyboard::ReturnTKeyFromInt(code);
            return other_;
        }
        if (!known_[code]) {
            known_[code] = TKeyboard::ReturnTKeyFromInt(code);
        }
        return *known_[code];
    }

private:
    std::array<std::optional<KeyRef>, 256> known_;
    KeyRef other_;
};

// Characters are typed by their code unit: only those equal to some key's virtual-key code
// find a key, so "p" (112) presses F1 and "a" (97) finds nothing.
void AppendEachCharacter(BoundedCommands& commands, const Statement& statement,
                         const std::u16string& text, std::int32_t interval) {
    KeysOfCharacters keys;
    for (std::size_t i = 0; i < text.size() && !commands.Passed(); ++i) {
        const KeyRef& key = keys.Find(text[i]);
        if (!key) {
            continue;
        }
        AppendStroke(commands, statement, key->Key, interval);
        if (i + 1 < text.size()) {
            commands.Append(Operation::Wait, interval);
        }
    }
}

void Compile(BoundedCommands& commands, OperandReader& reader, const Statement& statement,
             const std::vector<std::u16string>& pieces) {
    switch (statement.compilation) {
    case Compilation::Single: {
        std::int32_t operands[] = {kNone, kNone};
        for (std::size_t i = 0; i < statement.arguments.size(); ++i) {
            operands[i] = Operand(reader, statement, pieces, i);
        }
        commands.Append(statement.operation, operands[0], operands[1]);
        break;
    }
    case Compilation::Stroke:
        AppendStroke(commands, statement, Operand(reader, statement, pieces, 0),
                     Operand(reader, statement, pieces, 1));
        break;
    case Compilation::EachCharacter:
        AppendEachCharacter(commands, statement, Piece(pieces, 0),
                            Operand(reader, statement, pieces, 1));
        break;
    }
}

} // namespace

NumberReading ReadNumber(const std::u16string& text) {
    NumberReading reading;
    std::size_t i = 0;
    while (i < text.size() && text[i] <= u' ') {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    std::uint32_t base = 10;
    if (i < text.size() && (text[i] == u'%' || text[i] == u'$')) {
        base = text[i] == u'%' ? 2 : 16;
        ++i;
    }
    std::uint32_t value = 0;
    for (; i < text.size() && static_cast<std::uint32_t>(DigitValue(text[i])) < base; ++i) {
        value = value * base + static_cast<std::uint32_t>(DigitValue(text[i]));
        reading.hasDigits = true;
    }
    reading.value = static_cast<std::int32_t>(negative ? 0u - value : value);
    reading.consumed = i;
    return reading;
}

std::int32_t ReadOperand(const Argument& argument, const std::u16string& piece) {
    switch (argument.kind) {
    case ArgumentKind::Key:
        return TKeyboard::ReturnIntFromString(piece);
    case ArgumentKind::Button:
        return TMouse::ReturnIntFromString(piece);
    case ArgumentKind::Duration:
    case ArgumentKind::Coordinate:
        return ReadNumber(piece).value;
    case ArgumentKind::Text:
        break;
    }
    return kNone;
}

std::int32_t OperandReader::Read(const Argument& argument, const std::u16string& piece) {
    if (argument.kind != ArgumentKind::Key && argument.kind != ArgumentKind::Button) {
        return ReadOperand(argument, piece);
    }
    auto& known = argument.kind == ArgumentKind::Key ? keys_ : buttons_;
    const auto found = known.find(piece);
    if (found != known.end()) {
        return found->second;
    }
    const std::int32_t code = ReadOperand(argument, piece);
    if (known.size() < kMostRemembered) {
        known.emplace(piece, code);
    }
    return code;
}

// Parentheses are dropped wherever they stand, so the text is trimmed past them too; the
// blanks left inside are dropped as well.
void SplitArguments(std::u16string_view line, std::vector<std::u16string>& pieces) {
    pieces.clear();
    pieces.emplace_back();
    const std::size_t open = line.find(u'(');
    if (open == std::u16string_view::npos) {
        return;
    }
    auto dropped = [](char16_t c) { return c == u'(' || c == u')'; };
    auto trimmed = [&](char16_t c) { return dropped(c) || c <= u' '; };
    std::size_t begin = open;
    std::size_t end = line.size();
    while (begin < end && trimmed(line[begin])) {
        ++begin;
    }
    while (end > begin && trimmed(line[end - 1])) {
        --end;
    }
    for (std::size_t i = begin; i < end; ++i) {
        const char16_t c = line[i];
        if (c == u',') {
            pieces.emplace_back();
        } else if (!dropped(c) && c != u' ') {
            pieces.back().push_back(c);
        }
    }
}

const LineOutcome& ScriptParser::ProcessLine(std::u16string_view line) {
    LineOutcome& outcome = NextOutcome();
    if (oversize_ != Oversize::None) {
        outcome.kind = LineKind::TooLarge;
        return outcome;
    }
    outcome.trimmed.assign(TrimmedView(line));
    const std::u16string& text = outcome.trimmed;
    if (text.size() >= 2 && text[0] == u'\\' && text[1] == u'\\') {
        outcome.kind = LineKind::Comment;
    } else if (text.empty()) {
        outcome.kind = LineKind::Empty;
    } else if (state_ == State::SeekHeader) {
        const std::u16string_view headerText = u"?kweaver";
        bool header = text.size() == headerText.size() && Lower(text) == headerText;
        outcome.kind = header ? LineKind::Header : LineKind::BeforeHeader;
        state_ = header ? State::ExpectName : State::SeekHeader;
    } else if (state_ == State::ExpectName) {
        TakeNameLine(outcome);
    } else {
        CompileStatement(outcome);
    }
    return outcome;
}

// The line after the header is always used up here, so a statement written there is lost.
void ScriptParser::TakeNameLine(LineOutcome& outcome) {
    state_ = State::Statements;
    if (outcome.trimmed[0] != u'{') {
        outcome.kind = LineKind::ConsumedAsName;
        return;
    }
    outcome.kind = LineKind::NameLine;
    name_ = Without(Trim(std::u16string_view(outcome.trimmed).substr(1)), u'\'');
    hasNameLine_ = true;
}

void ScriptParser::CompileStatement(LineOutcome& outcome) {
    std::size_t open = outcome.trimmed.find(u'(');
    if (open == std::u16string::npos) {
        outcome.kind = LineKind::NoParenthesis;
        return;
    }
    outcome.keyword.assign(TrimmedView(std::u16string_view(outcome.trimmed).substr(0, open)));
    std::transform(outcome.keyword.begin(), outcome.keyword.end(), outcome.keyword.begin(),
                   LowerChar);
    SplitArguments(outcome.trimmed, outcome.pieces);
    outcome.statement = FindStatement(outcome.keyword);
    if (!outcome.statement) {
        outcome.kind = LineKind::UnknownKeyword;
        return;
    }
    outcome.kind = LineKind::Statement;
    outcome.firstCommand = commands_.size();
    BoundedCommands bounded(commands_, budget_.commands);
    Compile(bounded, operands_, *outcome.statement, outcome.pieces);
    if (bounded.Passed()) {
        GiveUp(Oversize::Commands);
        outcome.kind = LineKind::TooLarge;
        outcome.firstCommand = 0;
        return;
    }
    outcome.commandCount = commands_.size() - outcome.firstCommand;
}

LineOutcome& ScriptParser::NextOutcome() {
    outcome_.kind = LineKind::Empty;
    outcome_.trimmed.clear();
    outcome_.keyword.clear();
    outcome_.pieces.clear();
    outcome_.statement = nullptr;
    outcome_.firstCommand = 0;
    outcome_.commandCount = 0;
    return outcome_;
}

const LineOutcome& ScriptParser::PassedBudget(Oversize why) {
    GiveUp(why);
    LineOutcome& outcome = NextOutcome();
    outcome.kind = LineKind::TooLarge;
    return outcome;
}

// What was compiled is given back at once: the file is no script.
void ScriptParser::GiveUp(Oversize why) {
    oversize_ = why;
    givenBack_ = commands_.size();
    commands_ = CommandList();
}

} // namespace keyweave
