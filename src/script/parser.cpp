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

void RemoveAll(std::u16string& text, char16_t removed) {
    text.erase(std::remove(text.begin(), text.end(), removed), text.end());
}

std::u16string Without(std::u16string text, char16_t removed) {
    RemoveAll(text, removed);
    return text;
}

// Trims as Trim does, in place: a line may be as long as its file.
void TrimInPlace(std::u16string& text) {
    std::size_t end = text.size();
    while (end > 0 && text[end - 1] <= u' ') {
        --end;
    }
    text.erase(end);
    std::size_t start = 0;
    while (start < text.size() && text[start] <= u' ') {
        ++start;
    }
    text.erase(0, start);
}

// A statement with one argument has one piece; a missing second argument reads as empty,
// which is the number 0.
std::u16string Piece(const std::vector<std::u16string>& pieces, std::size_t index) {
    return index < pieces.size() ? pieces[index] : u"";
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

// Works on one copy of the text, which becomes the only piece when there is no comma.
std::vector<std::u16string> SplitArguments(const std::u16string& line) {
    std::size_t open = line.find(u'(');
    std::u16string text = open == std::u16string::npos ? u"" : line.substr(open);
    RemoveAll(text, u'(');
    RemoveAll(text, u')');
    TrimInPlace(text);
    RemoveAll(text, u' ');
    std::vector<std::u16string> pieces;
    std::size_t start = 0;
    for (std::size_t comma = text.find(u','); comma != std::u16string::npos;
         comma = text.find(u',', start)) {
        pieces.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    pieces.push_back(start == 0 ? std::move(text) : text.substr(start));
    return pieces;
}

LineOutcome ScriptParser::ProcessLine(std::u16string line) {
    LineOutcome outcome;
    if (oversize_ != Oversize::None) {
        outcome.kind = LineKind::TooLarge;
        return outcome;
    }
    TrimInPlace(line);
    outcome.trimmed = std::move(line);
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
    outcome.keyword = Trim(std::u16string_view(outcome.trimmed).substr(0, open));
    std::transform(outcome.keyword.begin(), outcome.keyword.end(), outcome.keyword.begin(),
                   LowerChar);
    outcome.pieces = SplitArguments(outcome.trimmed);
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

LineOutcome ScriptParser::LineTooLong() {
    GiveUp(Oversize::Line);
    LineOutcome outcome;
    outcome.kind = LineKind::TooLarge;
    return outcome;
}

// What was compiled is given back at once: the file is no script.
void ScriptParser::GiveUp(Oversize why) {
    oversize_ = why;
    commands_ = CommandList();
}

} // namespace keyweave
