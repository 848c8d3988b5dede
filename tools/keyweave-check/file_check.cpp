#include "file_check.h"

#include "input/keyboard.h"
#include "input/mouse.h"
#include "line_checks.h"
#include "raw_text.h"
#include "runtime/files/files.h"
#include "runtime/strings.h"
#include "script/parser.h"
#include "script/statement_table.h"

#include <algorithm>
#include <map>

namespace keyweave::check {

namespace {

const std::u16string kHeader = u"?kweaver";
// The three bytes of a UTF-8 byte-order mark, read one character per byte.
const std::u16string kByteOrderMark = u"\u00EF\u00BB\u00BF";

void Add(Diagnostics& out, int line, Severity severity, std::u16string text) {
    out.push_back({line, severity, std::move(text)});
}

// A line before the header that looks like one, and why it is not.
struct HeaderNote {
    int line = 0;
    std::u16string text;
};

std::u16string WhyNotTheHeader(const std::u16string& trimmed, int line, Encoding encoding) {
    const std::u16string lower = Lower(trimmed);
    if (line == 1 && encoding == Encoding::Utf8WithMark && lower == kByteOrderMark + kHeader) {
        return u"a UTF-8 byte-order mark stands in front of the header, which is therefore not "
               u"recognised; save the file without a byte-order mark";
    }
    if (lower.find(u"kweaver") != std::u16string::npos) {
        return u"this line is not the header: the header line is \"?kweaver\" alone";
    }
    return u"";
}

std::u16string SizeText(std::int64_t bytes) {
    constexpr std::int64_t kMiB = 1 << 20;
    return bytes % kMiB == 0 ? DecimalText(bytes / kMiB) + u" MiB" : DecimalText(bytes) + u" bytes";
}

// The keyword of the statement that compiles to the one command of an operation.
std::u16string Keyword(Operation operation) {
    return std::u16string(StatementOf(operation)->keyword);
}

class FileInspection {
public:
    FileInspection(const std::string& bytes, const ScriptBudget& budget)
        : rawLines_(CutLikeReadLine(bytes, budget.lines + 1)), encoding_(DetectEncoding(bytes)),
          parser_(budget) {}

    void Read(TCStream& file) {
        parser_.ReadFile(file, [this](const LineOutcome& outcome) { Take(outcome); });
    }

    FileReport Finish() {
        if (parser_.IsScript()) {
            InspectPass();
        }
        InspectScriptness();
        std::stable_sort(diagnostics_.begin(), diagnostics_.end(),
                         [](const Diagnostic& a, const Diagnostic& b) { return a.line < b.line; });
        return FileReport{parser_.IsScript(), parser_.name(), parser_.TakeCommands(),
                          std::move(diagnostics_)};
    }

private:
    void Take(const LineOutcome& outcome) {
        const int line = EditorLine();
        if (ZeroByteEnded() && encoding_ != Encoding::Utf16) {
            Add(diagnostics_, line, Severity::Warning,
                u"a zero byte ends this line; the text after it is read as a line of its own");
        }
        if (outcome.kind == LineKind::TooLarge && tooLargeLine_ == 0) {
            tooLargeLine_ = line;
        }
        if (outcome.kind == LineKind::Header) {
            headerLine_ = line;
        } else if (outcome.kind == LineKind::BeforeHeader && headerNote_.text.empty()) {
            headerNote_ = {line, WhyNotTheHeader(outcome.trimmed, line, encoding_)};
        }
        commandLines_.resize(parser_.commands().size(), line);
        InspectLine(outcome, parser_, line, diagnostics_);
        ++index_;
    }

    int EditorLine() const {
        if (index_ < rawLines_.size()) {
            return rawLines_[index_].editorLine;
        }
        const int last = rawLines_.empty() ? 0 : rawLines_.back().editorLine;
        return last + static_cast<int>(index_ - rawLines_.size()) + 1;
    }

    bool ZeroByteEnded() const { return index_ < rawLines_.size() && rawLines_[index_].endsAtZero; }

    // Why a file that passed its budget is left out, on the line where it did.
    std::u16string TooLargeText() const {
        const ScriptBudget& budget = parser_.Budget();
        switch (parser_.TooLarge()) {
        case Oversize::File:
            return u"larger than " + SizeText(budget.bytes);
        case Oversize::Lines:
            return u"it has more than " + DecimalText(budget.lines) + u" lines";
        case Oversize::Line:
            return u"this line is longer than " + DecimalText(budget.lineCharacters) +
                   u" characters";
        case Oversize::Commands:
            return u"it compiles to more than " + DecimalText(budget.commands) +
                   u" commands by this line";
        case Oversize::None:
            break;
        }
        return u"";
    }

    void InspectScriptness() {
        if (parser_.TooLarge() != Oversize::None) {
            Add(diagnostics_, tooLargeLine_, Severity::Error,
                u"not a script: too large, " + TooLargeText() + u"; Keyweave leaves it out");
            return;
        }
        const Severity severity = parser_.IsScript() ? Severity::Warning : Severity::Error;
        if (encoding_ == Encoding::Utf16) {
            Add(diagnostics_, 1, severity,
                u"the file is UTF-16 text: it is read one byte per character and its zero bytes "
                u"end lines; save it as 8-bit text (ANSI or Latin-1)");
        }
        if (!headerNote_.text.empty() && !parser_.SawHeader()) {
            Add(diagnostics_, headerNote_.line, severity, headerNote_.text);
        }
        if (!parser_.SawHeader()) {
            Add(diagnostics_, 1, Severity::Error,
                u"not a script: there is no \"?kweaver\" header line");
        } else if (!parser_.IsScript()) {
            Add(diagnostics_, headerLine_, Severity::Error,
                u"not a script: the header is the last significant line; a name line and "
                u"statements must follow it");
        }
    }

    // One pass of the script, as the player runs it: from the first command to the end or to
    // the first stop, which rewinds the script and leaves what it holds held.
    void InspectPass() {
        const CommandList& commands = parser_.commands();
        std::map<std::int32_t, int> heldKeys;
        std::map<std::int32_t, int> heldButtons;
        for (std::size_t i = 0; i < commands.size(); ++i) {
            const TCommand& command = commands[i];
            const int line = commandLines_[i];
            if (command.Performs == Operation::PressKey && command.Value != 0) {
                heldKeys.try_emplace(command.Value, line);
            } else if (command.Performs == Operation::ReleaseKey) {
                heldKeys.erase(command.Value);
            } else if (command.Performs == Operation::PressButton && command.Value != 0) {
                heldButtons.try_emplace(command.Value, line);
            } else if (command.Performs == Operation::ReleaseButton) {
                heldButtons.erase(command.Value);
            } else if (command.Performs == Operation::Stop) {
                ReportUnreachable(i, line);
                break;
            }
        }
        for (const auto& [code, line] : heldKeys) {
            ReportHeld(TKeyboard::ReturnScriptNameFromInt(code), Operation::ReleaseKey, line);
        }
        for (const auto& [button, line] : heldButtons) {
            ReportHeld(TMouse::ReturnScriptNameFromInt(button), Operation::ReleaseButton, line);
        }
    }

    void ReportHeld(const std::u16string& name, Operation release, int line) {
        Add(diagnostics_, line, Severity::Warning,
            name + u" is pressed here and still held when the last command has run; no " +
                Keyword(release) + u"(" + name + u") follows");
    }

    void ReportUnreachable(std::size_t stopIndex, int stopLine) {
        if (stopIndex + 1 < commandLines_.size()) {
            Add(diagnostics_, commandLines_[stopIndex + 1], Severity::Warning,
                u"this line and the rest of the script never run: the " + Keyword(Operation::Stop) +
                    u"() on line " + DecimalText(stopLine) + u" rewinds the script");
        }
    }

    std::vector<RawLine> rawLines_;
    Encoding encoding_;
    ScriptParser parser_;
    std::size_t index_ = 0;
    int headerLine_ = 0;
    int tooLargeLine_ = 0;
    HeaderNote headerNote_;
    std::vector<int> commandLines_;
    Diagnostics diagnostics_;
};

FileReport Unreadable(std::u16string text) {
    FileReport report;
    Add(report.diagnostics, 0, Severity::Error, std::move(text));
    return report;
}

// Only regular files are opened, as the script library only loads those: opening a FIFO would
// wait for a writer, and a device may never end. What a chain of symbolic links ends at counts.
std::u16string WhyNotOpened(const std::u16string& path) {
    switch (PathKind(path)) {
    case 1:
        return u"";
    case 2:
        return u"is a folder, not a script file";
    default:
        return PathTaken(LinkTarget(path)) ? u"is not a regular file (a FIFO, socket or device), "
                                             u"not a script file"
                                           : u"cannot be read";
    }
}

} // namespace

FileReport CheckFile(const std::u16string& path, const ScriptBudget& budget) {
    if (const std::u16string why = WhyNotOpened(path); !why.empty()) {
        return Unreadable(why);
    }
    std::string bytes;
    StreamRef stream = OpenForReading(path);
    // A file past the budget is never read: its raw lines are not needed either.
    const bool withinBudget = stream && stream->Size() <= budget.bytes;
    if (!stream || (withinBudget && !ReadRawBytes(path, bytes))) {
        return Unreadable(u"cannot be read");
    }
    FileInspection inspection(bytes, budget);
    inspection.Read(*stream);
    stream->Close();
    return inspection.Finish();
}

} // namespace keyweave::check
