#include "line_checks.h"

#include "input/keyboard.h"
#include "key_names.h"
#include "runtime/strings.h"
#include "script/statement_table.h"

#include <algorithm>

namespace keyweave::check {

namespace {

void Warn(Diagnostics& out, int line, std::u16string text) {
    out.push_back({line, Severity::Warning, std::move(text)});
}

std::u16string Quoted(std::u16string_view text) {
    return u"\"" + std::u16string(text) + u"\"";
}

std::u16string FirstWord(const std::u16string& text) {
    const auto end = std::find_if(text.begin(), text.end(), [](char16_t c) { return c <= 32; });
    return std::u16string(text.begin(), end);
}

std::u16string CallForm(const Statement& statement) {
    return std::u16string(statement.keyword) + (statement.arguments.empty() ? u"()" : u"(...)");
}

std::u16string WithoutParentheses(std::u16string text) {
    std::erase(text, u'(');
    std::erase(text, u')');
    return text;
}

bool StartsLikeAnotherComment(const std::u16string& text) {
    return text.starts_with(u"\\") || text.starts_with(u"//") || text.starts_with(u"#") ||
           text.starts_with(u";");
}

void InspectNoParenthesis(const LineOutcome& outcome, int line, Diagnostics& out) {
    std::u16string text = u"a line without \"(\" is not a statement and is ignored";
    if (const Statement* statement = FindStatement(Lower(FirstWord(outcome.trimmed)))) {
        text += u"; write " + Quoted(CallForm(*statement));
    } else if (StartsLikeAnotherComment(outcome.trimmed)) {
        text += u"; a comment line starts with two backslashes";
    }
    Warn(out, line, text);
}

std::u16string KeywordHint(const std::u16string& keyword) {
    std::u16string blankless = keyword;
    std::erase_if(blankless, [](char16_t c) { return c <= 32; });
    if (FindStatement(blankless)) {
        return u"; write " + Quoted(blankless);
    }
    const Statement* best = nullptr;
    std::size_t bestDistance = 3;
    for (const Statement& statement : kStatements) {
        const std::size_t distance = EditDistance(keyword, std::u16string(statement.keyword));
        if (distance < bestDistance && distance < keyword.size()) {
            best = &statement;
            bestDistance = distance;
        }
    }
    return best ? u"; did you mean " + Quoted(best->keyword) + u"?" : u"";
}

void InspectUnknownKeyword(const LineOutcome& outcome, int line, Diagnostics& out) {
    Warn(out, line,
         u"unknown keyword " + Quoted(outcome.keyword) + u"; the line is ignored" +
             KeywordHint(outcome.keyword));
}

void InspectConsumedAsName(const LineOutcome& outcome, int line, Diagnostics& out) {
    if (outcome.trimmed.find(u'(') != std::u16string::npos) {
        Warn(out, line,
             u"the statement " + Quoted(outcome.trimmed) +
                 u" is taken as the name line and is not compiled; put a name line starting "
                 u"with \"{\" after the header");
    } else {
        Warn(out, line,
             u"this line is taken as the name line, but without \"{\" in front the script gets "
             u"no name");
    }
}

void InspectNameLine(const ScriptParser& parser, int line, Diagnostics& out) {
    if (parser.name().ends_with(u'}')) {
        Warn(out, line,
             u"the name " + Quoted(parser.name()) +
                 u" keeps its closing brace: the name is everything after \"{\"");
    }
}

std::u16string Ordinal(std::size_t index) {
    return index == 0 ? u"first" : u"second";
}

void InspectName(const Argument& argument, const std::u16string& name, int line, Diagnostics& out) {
    if (ReadOperand(argument, name) != 0) {
        return;
    }
    const std::u16string role(argument.role);
    if (name.empty()) {
        Warn(out, line, u"no " + role + u" name is given; it compiles to code 0");
        return;
    }
    const NameKind kind = argument.kind == ArgumentKind::Key ? NameKind::Key : NameKind::Button;
    const std::u16string hint = ExplainUnknownName(name, kind);
    Warn(out, line,
         u"unknown " + role + u" name " + Quoted(name) + u" compiles to code 0" +
             (hint.empty() ? u"" : u"; " + hint));
}

void InspectNumber(const Argument& argument, const std::u16string& piece, int line,
                   Diagnostics& out) {
    const std::u16string what = u"the " + std::u16string(argument.role);
    const NumberReading reading = ReadNumber(piece);
    if (!reading.hasDigits) {
        Warn(out, line,
             piece.empty() ? what + u" is empty and reads as 0"
                           : what + u" " + Quoted(piece) + u" is not a number and reads as 0");
        return;
    }
    const std::u16string rest = piece.substr(std::min(reading.consumed, piece.size()));
    if (!Trim(rest).empty()) {
        Warn(out, line,
             what + u" " + Quoted(piece) + u" reads as " + DecimalText(reading.value) +
                 u": reading stops at " + Quoted(rest));
    }
    if (argument.kind == ArgumentKind::Duration && reading.value < 0) {
        Warn(out, line,
             u"a negative " + std::u16string(argument.role) + u" (" + DecimalText(reading.value) +
                 u") does not wait");
    }
}

// Whether the keystring text, as written before the parser removes every blank, holds one:
// inside the text, or as the whole text.
bool TextHasBlanks(const std::u16string& trimmedLine) {
    std::u16string written = WithoutParentheses(trimmedLine.substr(trimmedLine.find(u'(')));
    written = written.substr(0, written.find(u','));
    const std::u16string text = Trim(written);
    return text.find(u' ') != std::u16string::npos ||
           (text.empty() && written.find(u' ') != std::u16string::npos);
}

std::u16string CharacterText(char16_t c) {
    if (c > 32 && c != 127) {
        return Quoted(std::u16string(1, c));
    }
    return u"with code " + DecimalText(c);
}

bool TypesItsOwnKey(char16_t c) {
    return (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'\t';
}

std::u16string SkippedHint(char16_t c) {
    if (c == u'N' || c == u'n') {
        return u"; the key table has no key for the letter N";
    }
    if (c >= u'a' && c <= u'o') {
        return u"; capitals name the letter keys";
    }
    return u"";
}

void InspectText(const std::u16string& keyword, const std::u16string& text,
                 const std::u16string& trimmedLine, int line, Diagnostics& out) {
    if (TextHasBlanks(trimmedLine)) {
        Warn(out, line, u"blanks in the " + keyword + u" text are removed and never typed");
    }
    if (text.empty()) {
        Warn(out, line, u"the " + keyword + u" text is empty and compiles to nothing");
        return;
    }
    std::u16string seen;
    for (char16_t c : text) {
        if (seen.find(c) != std::u16string::npos) {
            continue;
        }
        seen += c;
        const KeyRef key = TKeyboard::ReturnTKeyFromInt(c);
        if (!key) {
            Warn(out, line,
                 keyword + u" character " + CharacterText(c) + u" has no key and is skipped" +
                     SkippedHint(c));
        } else if (!TypesItsOwnKey(c)) {
            Warn(out, line,
                 keyword + u" character " + CharacterText(c) + u" presses " + key->Name + u" (" +
                     key->ScriptName + u")");
        }
    }
}

void InspectArgument(const Statement& statement, const Argument& argument,
                     const std::u16string& piece, const std::u16string& trimmedLine, int line,
                     Diagnostics& out) {
    switch (argument.kind) {
    case ArgumentKind::Key:
    case ArgumentKind::Button:
        InspectName(argument, piece, line, out);
        break;
    case ArgumentKind::Duration:
    case ArgumentKind::Coordinate:
        InspectNumber(argument, piece, line, out);
        break;
    case ArgumentKind::Text:
        InspectText(std::u16string(statement.keyword), piece, trimmedLine, line, out);
        break;
    }
}

void InspectExtraArguments(const Statement& statement, const std::vector<std::u16string>& pieces,
                           int line, Diagnostics& out) {
    const std::size_t used = statement.arguments.size();
    if (pieces.size() <= used || (used == 0 && pieces.size() == 1 && pieces[0].empty())) {
        return;
    }
    std::u16string extra;
    for (std::size_t i = used; i < pieces.size(); ++i) {
        extra += (i > used ? u"," : u"") + pieces[i];
    }
    const std::u16string keyword(statement.keyword);
    const std::u16string takes = used == 0   ? keyword + u" takes no arguments"
                                 : used == 1 ? keyword + u" uses only its first argument"
                                             : keyword + u" uses only its first two arguments";
    Warn(out, line, takes + u"; " + Quoted(extra) + u" is ignored");
}

void InspectTextAfterParenthesis(const std::u16string& trimmedLine, int line, Diagnostics& out) {
    const std::size_t close = trimmedLine.find(u')', trimmedLine.find(u'('));
    if (close == std::u16string::npos) {
        return;
    }
    std::u16string after = Trim(WithoutParentheses(trimmedLine.substr(close + 1)));
    std::erase(after, u' ');
    if (!after.empty()) {
        Warn(out, line,
             u"the text " + Quoted(after) +
                 u" after the closing parenthesis joins the last "
                 u"argument");
    }
}

void InspectStatement(const LineOutcome& outcome, int line, Diagnostics& out) {
    const Statement& statement = *outcome.statement;
    for (std::size_t i = 0; i < statement.arguments.size(); ++i) {
        const Argument& argument = statement.arguments[i];
        if (i < outcome.pieces.size()) {
            InspectArgument(statement, argument, outcome.pieces[i], outcome.trimmed, line, out);
        } else {
            Warn(out, line,
                 outcome.keyword + u" has no " + Ordinal(i) + u" argument, the " +
                     std::u16string(argument.role) + u", which reads as 0");
        }
    }
    InspectExtraArguments(statement, outcome.pieces, line, out);
    if (!statement.arguments.empty()) {
        InspectTextAfterParenthesis(outcome.trimmed, line, out);
    }
}

} // namespace

void InspectLine(const LineOutcome& outcome, const ScriptParser& parser, int line,
                 Diagnostics& out) {
    switch (outcome.kind) {
    case LineKind::NoParenthesis:
        InspectNoParenthesis(outcome, line, out);
        break;
    case LineKind::UnknownKeyword:
        InspectUnknownKeyword(outcome, line, out);
        break;
    case LineKind::ConsumedAsName:
        InspectConsumedAsName(outcome, line, out);
        break;
    case LineKind::NameLine:
        InspectNameLine(parser, line, out);
        break;
    case LineKind::Statement:
        InspectStatement(outcome, line, out);
        break;
    case LineKind::Comment:
    case LineKind::Empty:
    case LineKind::BeforeHeader:
    case LineKind::Header:
    case LineKind::TooLarge:
        break;
    }
}

} // namespace keyweave::check
