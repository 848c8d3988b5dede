#include "key_names.h"

#include "app/program_state.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "runtime/strings.h"

#include <algorithm>
#include <numeric>
#include <vector>

namespace keyweave::check {

namespace {

std::u16string WithoutBlanks(std::u16string text) {
    std::erase(text, u' ');
    return text;
}

std::u16string WithoutPrefix(const std::u16string& scriptName) {
    const std::size_t underscore = scriptName.find(u'_');
    return underscore == std::u16string::npos ? scriptName : scriptName.substr(underscore + 1);
}

const KeyList& TableOf(NameKind kind) {
    return kind == NameKind::Key ? Program().KeyboardKeyList : Program().MouseKeyList;
}

// "LeftShift": a display name written without its blanks, as the parser leaves it.
KeyRef RowByBlanklessDisplayName(const KeyList& table, const std::u16string& upper) {
    for (const KeyRef& row : table) {
        if (row->Name.find(u' ') != std::u16string::npos &&
            Upper(WithoutBlanks(row->Name)) == upper) {
            return row;
        }
    }
    return nullptr;
}

// "LSHIFT": a table name without its "KEY_" or "MOUSE_".
KeyRef RowByNameWithoutPrefix(const KeyList& table, const std::u16string& upper) {
    for (const KeyRef& row : table) {
        if (Upper(WithoutPrefix(row->ScriptName)) == upper) {
            return row;
        }
    }
    return nullptr;
}

// The row whose table name or blank-free display name is the fewest edits away, when the
// name is plausibly a misspelling of it. The first such row in table order wins a tie.
KeyRef NearestRow(const KeyList& table, const std::u16string& upper) {
    KeyRef best;
    std::size_t bestDistance = 0;
    for (const KeyRef& row : table) {
        for (const std::u16string& candidate :
             {Upper(row->ScriptName), Upper(WithoutBlanks(row->Name))}) {
            const std::size_t allowed = candidate.size() <= 3 ? 1 : 2;
            const std::size_t distance = EditDistance(upper, candidate);
            if (distance <= allowed && distance < upper.size() &&
                (!best || distance < bestDistance)) {
                best = row;
                bestDistance = distance;
            }
        }
    }
    return best;
}

} // namespace

std::size_t EditDistance(const std::u16string& a, const std::u16string& b) {
    std::vector<std::size_t> previous(b.size() + 1);
    std::iota(previous.begin(), previous.end(), 0);
    std::vector<std::size_t> current(b.size() + 1);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t substitution = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
        }
        std::swap(previous, current);
    }
    return previous[b.size()];
}

std::u16string ExplainUnknownName(const std::u16string& name, NameKind expected) {
    if (expected == NameKind::Key && TMouse::ReturnIntFromString(name) != 0) {
        return u"it names a mouse button, which mousedown, mouseup and mousestroke press";
    }
    if (expected == NameKind::Button && TKeyboard::ReturnIntFromString(name) != 0) {
        return u"it names a keyboard key, which keydown, keyup and keystroke press";
    }
    const std::u16string upper = Upper(name);
    if (expected == NameKind::Key && (upper == u"N" || upper == u"KEY_N")) {
        return u"the key table has no key for the letter N";
    }
    const KeyList& table = TableOf(expected);
    if (KeyRef row = RowByBlanklessDisplayName(table, upper)) {
        return u"blanks are removed, so a display name with blanks never matches; write " +
               row->ScriptName;
    }
    if (KeyRef row = RowByNameWithoutPrefix(table, upper)) {
        return u"write " + row->ScriptName;
    }
    if (KeyRef row = NearestRow(table, upper)) {
        return u"did you mean " + row->ScriptName + u"?";
    }
    return u"";
}

} // namespace keyweave::check
