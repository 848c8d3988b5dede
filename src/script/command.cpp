#include "script/command.h"

#include "input/keyboard.h"
#include "input/mouse.h"
#include "runtime/strings.h"
#include "script/statement_table.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace keyweave {

namespace {

// Every command name that was ever given to TCommand::Create, each kept once; a name's number
// is its place here. The first is the empty name of a command that was never created.
class CommandNames {
public:
    std::uint32_t NumberOf(const std::u16string& name) {
        const auto [found, added] =
            numbers_.try_emplace(name, static_cast<std::uint32_t>(names_.size()));
        if (added) {
            names_.push_back(name);
        }
        return found->second;
    }

    const std::u16string& Name(std::uint32_t number) const { return names_[number]; }

private:
    std::deque<std::u16string> names_{u""};
    std::unordered_map<std::u16string, std::uint32_t> numbers_{{u"", 0}};
};

CommandNames& Names() {
    static CommandNames names;
    return names;
}

std::u16string OperandText(ArgumentKind kind, std::int32_t value) {
    if (kind == ArgumentKind::Key) {
        return TKeyboard::ReturnScriptNameFromInt(value);
    }
    if (kind == ArgumentKind::Button) {
        return TMouse::ReturnScriptNameFromInt(value);
    }
    return DecimalText(value);
}

// The statement of the command as the script view knows it: only a name written exactly as
// the statement's command, in upper case, is shown.
const Statement* ShownStatement(const TCommand& command) {
    const Statement* statement = StatementOf(command.Performs);
    return statement && command.Command() == statement->command ? statement : nullptr;
}

// The statement's display name and the command's operands in parentheses, each parenthesis
// padded with `pad` on its inner side.
std::u16string CallText(const Statement& statement, const TCommand& command,
                        std::u16string_view pad) {
    std::u16string text(statement.displayName);
    if (statement.arguments.empty()) {
        return text + u"()";
    }
    const std::int32_t operands[] = {command.Value, command.Value2};
    text += u"(";
    text += pad;
    for (std::size_t i = 0; i < statement.arguments.size(); ++i) {
        text += (i > 0 ? u", " : u"") + OperandText(statement.arguments[i].kind, operands[i]);
    }
    text += pad;
    return text + u")";
}

} // namespace

TCommand TCommand::Create(const std::u16string& command, std::int32_t value, std::int32_t value2) {
    TCommand created;
    created.Value = value;
    created.Value2 = value2;
    created.Performs = OperationNamed(command);
    created.name_ = Names().NumberOf(command);
    return created;
}

TCommand TCommand::Create(Operation operation, std::int32_t value, std::int32_t value2) {
    static const auto numbers = [] {
        std::array<std::uint32_t, kOperationCount> named{};
        for (const Statement& statement : kStatements) {
            if (!statement.command.empty()) {
                named[static_cast<std::size_t>(statement.operation)] =
                    Names().NumberOf(std::u16string(statement.command));
            }
        }
        return named;
    }();
    TCommand created;
    created.Value = value;
    created.Value2 = value2;
    created.Performs = operation;
    created.name_ = numbers[static_cast<std::size_t>(operation)];
    return created;
}

const std::u16string& TCommand::Command() const {
    return Names().Name(name_);
}

std::u16string TCommand::DisplayForm() const {
    const Statement* statement = ShownStatement(*this);
    return statement ? CallText(*statement, *this, u" ") : u"";
}

std::u16string TCommand::StatementLine() const {
    const Statement* statement = StatementOf(Performs);
    return statement ? CallText(*statement, *this, u"") : u"";
}

std::vector<std::u16string> DisplayLines(const CommandList& commands, std::size_t mostLines) {
    std::vector<std::u16string> lines;
    lines.reserve(std::min(commands.size(), mostLines));
    int depth = 0;
    for (const TCommand& command : commands) {
        if (lines.size() == mostLines) {
            break;
        }
        const Statement* shown = ShownStatement(command);
        const Operation operation = shown ? shown->operation : Operation::None;
        if (Releases(operation)) {
            --depth;
        }
        lines.push_back(std::u16string(depth > 0 ? depth : 0, u'\t') + command.DisplayForm());
        if (Presses(operation)) {
            ++depth;
        }
    }
    return lines;
}

} // namespace keyweave
