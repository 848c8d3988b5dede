#include "script/command.h"

#include "input/keyboard.h"
#include "input/mouse.h"
#include "runtime/strings.h"

namespace keyweave {

namespace {

std::u16string Call(const std::u16string& name, const std::u16string& operands) {
    return name + u"( " + operands + u" )";
}

} // namespace

std::shared_ptr<TCommand> TCommand::Create(const std::u16string& command, std::int32_t value,
                                           std::int32_t value2) {
    auto created = std::make_shared<TCommand>();
    created->Command = command;
    created->Value = value;
    created->Value2 = value2;
    return created;
}

std::u16string TCommand::DisplayForm() const {
    if (Command == u"KEYDOWN") {
        return Call(u"KeyDown", TKeyboard::ReturnScriptNameFromInt(Value));
    }
    if (Command == u"KEYUP") {
        return Call(u"KeyUp", TKeyboard::ReturnScriptNameFromInt(Value));
    }
    if (Command == u"MOUSEDOWN") {
        return Call(u"MouseDown", TMouse::ReturnScriptNameFromInt(Value));
    }
    if (Command == u"MOUSEUP") {
        return Call(u"MouseUp", TMouse::ReturnScriptNameFromInt(Value));
    }
    if (Command == u"SLEEP") {
        return Call(u"Sleep", DecimalText(Value));
    }
    if (Command == u"MOUSELOC") {
        return Call(u"MouseLoc", DecimalText(Value) + u", " + DecimalText(Value2));
    }
    if (Command == u"RESTOREMOUSELOC") {
        return u"RestoreMouseLoc()";
    }
    if (Command == u"LOCKMOUSE") {
        return u"LockMouse()";
    }
    if (Command == u"UNLOCKMOUSE") {
        return u"UnlockMouse()";
    }
    if (Command == u"STOP") {
        return u"Stop()";
    }
    if (Command == u"PAUSE") {
        return u"Pause()";
    }
    return u"";
}

std::vector<std::u16string> DisplayLines(const CommandList& commands) {
    std::vector<std::u16string> lines;
    int depth = 0;
    for (const CommandRef& command : commands) {
        if (command->Command == u"KEYUP" || command->Command == u"MOUSEUP") {
            --depth;
        }
        lines.push_back(std::u16string(depth > 0 ? depth : 0, u'\t') + command->DisplayForm());
        if (command->Command == u"KEYDOWN" || command->Command == u"MOUSEDOWN") {
            ++depth;
        }
    }
    return lines;
}

} // namespace keyweave
