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
    if (!statement) {
        return u"";
    }
    std::u16string form(statement->displayName);
    if (statement->arguments.empty()) {
        return form + u"()";
    }
    const std::int32_t operands[] = {Value, Value2};
    form += u"( ";
    for (std::size_t i = 0; i < statement->arguments.size(); ++i) {
        form += (i > 0 ? u", " : u"") + OperandText(statement->arguments[i].kind, operands[i]);
    }
    return form + u" )";
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
