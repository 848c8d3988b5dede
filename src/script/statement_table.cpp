#include "script/statement_table.h"

#include "runtime/strings.h"

#include <algorithm>

namespace keyweave {

namespace {

bool IsSingle(const Statement& statement) {
    return statement.compilation == Compilation::Single;
}

// Whether `name` in upper case is `command`, compared letter by letter without a copy.
bool NamesCommand(std::u16string_view name, std::u16string_view command) {
    return name.size() == command.size() &&
           std::equal(name.begin(), name.end(), command.begin(),
                      [](char16_t written, char16_t upper) { return UpperChar(written) == upper; });
}

} // namespace

const Statement* FindStatement(std::u16string_view keyword) {
    for (const Statement& statement : kStatements) {
        if (statement.keyword == keyword) {
            return &statement;
        }
    }
    return nullptr;
}

const Statement* StatementOf(Operation operation) {
    for (const Statement& statement : kStatements) {
        if (IsSingle(statement) && statement.operation == operation) {
            return &statement;
        }
    }
    return nullptr;
}

Operation OperationNamed(std::u16string_view name) {
    for (const Statement& statement : kStatements) {
        if (IsSingle(statement) && NamesCommand(name, statement.command)) {
            return statement.operation;
        }
    }
    return Operation::None;
}

} // namespace keyweave
