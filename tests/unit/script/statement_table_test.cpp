#include "script/parser.h"
#include "script/statement_table.h"
#include "unit/script/script_test_support.h"

namespace keyweave::testing {
namespace {

using enum Operation;
using Operations = std::vector<Operation>;

constexpr Operation kEveryOperation[] = {PressKey,     ReleaseKey, PressButton,   ReleaseButton,
                                         Wait,         MoveCursor, RestoreCursor, LockCursor,
                                         UnlockCursor, Stop,       Pause};

std::u16string SampleArgument(const Argument& argument, std::size_t index) {
    switch (argument.kind) {
    case ArgumentKind::Key:
        return u"KEY_A";
    case ArgumentKind::Button:
        return u"MOUSE_RIGHT";
    case ArgumentKind::Duration:
        return u"25";
    case ArgumentKind::Coordinate:
        return index == 0 ? u"-7" : u"300";
    case ArgumentKind::Text:
        return u"AB";
    }
    return u"";
}

// A line of the statement with a sample for each argument it uses.
std::u16string SampleLine(const Statement& statement) {
    std::u16string line = std::u16string(statement.keyword) + u"(";
    for (std::size_t i = 0; i < statement.arguments.size(); ++i) {
        line += (i > 0 ? u", " : u"") + SampleArgument(statement.arguments[i], i);
    }
    return line + u")";
}

Operations Performed(const CommandList& commands) {
    Operations operations;
    for (const TCommand& command : commands) {
        operations.push_back(command.Performs);
    }
    return operations;
}

class StatementTableTest : public KeyTableFixture {
protected:
    CommandList Compile(const std::u16string& line) {
        ScriptParser parser;
        parser.ProcessLine(u"?kweaver");
        parser.ProcessLine(u"{Sample");
        const LineOutcome outcome = parser.ProcessLine(line);
        EXPECT_EQ(outcome.kind, LineKind::Statement) << ToUtf8(line);
        return parser.commands();
    }
};

TEST_F(StatementTableTest, EveryKeywordCompilesToTheCommandsOfItsRow) {
    for (const Statement& statement : kStatements) {
        SCOPED_TRACE(ToUtf8(statement.keyword));
        EXPECT_EQ(Lower(statement.keyword), statement.keyword);
        EXPECT_EQ(FindStatement(statement.keyword), &statement);
        const Operation press = statement.operation;
        const Operation release = statement.release;
        const Operations expected =
            statement.compilation == Compilation::Single ? Operations{press}
            : statement.compilation == Compilation::Stroke
                ? Operations{press, Wait, release}
                : Operations{press, Wait, release, Wait, press, Wait, release};
        const CommandList commands = Compile(SampleLine(statement));
        EXPECT_EQ(Performed(commands), expected);
        for (const TCommand& command : commands) {
            EXPECT_EQ(command.Command(), StatementOf(command.Performs)->command);
        }
    }
}

TEST_F(StatementTableTest, EveryCommandHasOneStatementADisplayFormAndAViewColour) {
    std::size_t singles = 0;
    for (const Statement& statement : kStatements) {
        singles += statement.compilation == Compilation::Single ? 1 : 0;
    }
    EXPECT_EQ(singles, std::size(kEveryOperation));
    for (const Operation operation : kEveryOperation) {
        const Statement* statement = StatementOf(operation);
        ASSERT_NE(statement, nullptr);
        SCOPED_TRACE(ToUtf8(statement->command));
        EXPECT_EQ(statement->operation, operation);
        EXPECT_EQ(OperationNamed(statement->command), operation);
        EXPECT_EQ(OperationNamed(Lower(statement->command)), operation);
        // The view finds a word's colour by the word in upper case.
        EXPECT_EQ(Upper(statement->displayName), statement->command);

        const TCommand command = Compile(SampleLine(*statement)).front();
        const std::u16string form = command.DisplayForm();
        EXPECT_TRUE(form.starts_with(std::u16string(statement->displayName) + u"("))
            << ToUtf8(form);
        // A display form is also a statement line, which compiles back to the same command.
        const CommandList again = Compile(form);
        ASSERT_EQ(again.size(), 1u);
        EXPECT_EQ(again[0].Command(), command.Command());
        EXPECT_EQ(again[0].Value, command.Value);
        EXPECT_EQ(again[0].Value2, command.Value2);
    }
    EXPECT_EQ(StatementOf(None), nullptr);
    EXPECT_EQ(OperationNamed(u"JUMP"), None);
}

TEST_F(StatementTableTest, TheWordColoursAreThoseOfTheScriptView) {
    const Rgb yellow{255, 255, 0};
    const Rgb green{0, 255, 102};
    const Rgb red{255, 100, 100};
    const std::vector<std::pair<std::u16string, Rgb>> expected = {
        {u"KEYDOWN", yellow},   {u"KEYUP", yellow},       {u"MOUSEDOWN", yellow},
        {u"MOUSEUP", yellow},   {u"MOUSELOC", yellow},    {u"RESTOREMOUSELOC", yellow},
        {u"LOCKMOUSE", yellow}, {u"UNLOCKMOUSE", yellow}, {u"SLEEP", green},
        {u"STOP", red},         {u"PAUSE", red}};
    for (const auto& [name, colour] : expected) {
        const Statement* statement = StatementOf(OperationNamed(name));
        ASSERT_NE(statement, nullptr) << ToUtf8(name);
        EXPECT_EQ(statement->command, name);
        EXPECT_EQ(statement->colour, colour) << ToUtf8(name);
    }
}

} // namespace
} // namespace keyweave::testing
