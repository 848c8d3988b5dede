#include "statements.h"

namespace keyweave::check {

const std::vector<StatementShape>& StatementShapes() {
    using enum ArgumentKind;
    static const std::vector<StatementShape> shapes = {
        {u"keystring", {{Text, u"text"}, {Duration, u"interval"}}},
        {u"keydown", {{Key, u"key"}}},
        {u"keyup", {{Key, u"key"}}},
        {u"keystroke", {{Key, u"key"}, {Duration, u"interval"}}},
        {u"sleep", {{Duration, u"duration"}}},
        {u"lockmouse", {}},
        {u"unlockmouse", {}},
        {u"mouseloc", {{Coordinate, u"x coordinate"}, {Coordinate, u"y coordinate"}}},
        {u"restoremouseloc", {}},
        {u"mousedown", {{Button, u"button"}}},
        {u"mouseup", {{Button, u"button"}}},
        {u"mousestroke", {{Button, u"button"}, {Duration, u"interval"}}},
        {u"stop", {}},
        {u"pause", {}},
    };
    return shapes;
}

const StatementShape* FindStatement(std::u16string_view keyword) {
    for (const StatementShape& shape : StatementShapes()) {
        if (shape.keyword == keyword) {
            return &shape;
        }
    }
    return nullptr;
}

} // namespace keyweave::check
