#include "script/command.h"

#include "input/keyboard.h"
#include "input/mouse.h"
#include "runtime/strings.h"
#include "script/statement_table.h"

namespace keyweave {

namespace {

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
    return statement && command.Command == statement->command ? statement : nullptr;
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

std::shared_ptr<TCommand> TCommand::Create(const std::u16string& command, std::int32_t value,
                                           std::int32_t value2) {
    auto created = std::make_shared<TCommand>();
    created->Command = command;
    created->Value = value;
    created->Value2 = value2;
    created->Performs = OperationNamed(command);
    return created;
}

std::u16string TCommand::DisplayForm() const {
    const Statement* statement = ShownStatement(*this);
    return statement ? CallText(*statement, *this, u" ") : u"";
}

std::u16string TCommand::StatementLine() const {
    const Statement* statement = StatementOf(Performs);
    return statement ? CallText(*statement, *this, u"") : u"";
}

std::vector<std::u16string> DisplayLines(const CommandList& commands) {
    std::vector<std::u16string> lines;
    int depth = 0;
    for (const CommandRef& command : commands) {
        const Statement* shown = ShownStatement(*command);
        const Operation operation = shown ? shown->operation : Operation::None;
        if (Releases(operation)) {
            --depth;
        }
        lines.push_back(std::u16string(depth > 0 ? depth : 0, u'\t') + command->DisplayForm());
        if (Presses(operation)) {
            ++depth;
        }
    }
    return lines;
}

} // namespace keyweave
