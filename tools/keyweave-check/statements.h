#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace keyweave::check {

// What a statement reads from each argument it uses.
enum class ArgumentKind { Key, Button, Duration, Coordinate, Text };

struct ArgumentShape {
    ArgumentKind kind;
    std::u16string_view role; // "key", "interval", "x", ...
};

// A keyword of the script language and the arguments it uses, in order; further arguments
// are ignored by the parser.
struct StatementShape {
    std::u16string_view keyword;
    std::vector<ArgumentShape> arguments;
};

const std::vector<StatementShape>& StatementShapes();

// The shape of a lower-case keyword, or null.
const StatementShape* FindStatement(std::u16string_view keyword);

} // namespace keyweave::check
