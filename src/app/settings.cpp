#include "app/app.h"
#include "app/program_state.h"
#include "input/keyboard.h"
#include "runtime/files/files.h"
#include "runtime/strings.h"

namespace keyweave {

namespace {

constexpr int kRegularFile = 1;

// Far more than the names of every key of the table: a huge file costs no more than this.
constexpr std::size_t kMostLineCharacters = 64 * 1024;

// Calls `use` with each piece of the line split at every blank: two blanks in a row, or a
// blank at either end, give empty pieces. The pieces are not collected, since the line may be
// as long as the file.
template <typename UsePiece>
void ForEachPieceBetweenBlanks(const std::u16string& line, UsePiece use) {
    std::size_t start = 0;
    for (;;) {
        const std::size_t blank = line.find(u' ', start);
        if (blank == std::u16string::npos) {
            use(line.substr(start));
            return;
        }
        use(line.substr(start, blank - start));
        start = blank + 1;
    }
}

// The first line, read up to kMostLineCharacters. A longer line keeps only the names that
// end before the bound: a name cut there could read as another key ("KEY_F1" of "KEY_F12").
std::u16string FirstLine(TCStream& stream) {
    std::u16string line = stream.ReadLine(kMostLineCharacters + 1);
    if (line.size() > kMostLineCharacters) {
        const std::size_t lastBlank = line.rfind(u' ');
        line.erase(lastBlank == std::u16string::npos ? 0 : lastBlank);
    }
    return line;
}

std::u16string BindingLine(const KeyList& keys) {
    std::u16string line;
    for (const auto& key : keys) {
        line += u" " + key->ScriptName;
    }
    return Trim(line);
}

enum class WriteOutcome { NotCreated, Incomplete, Written };

WriteOutcome WriteNewFile(const std::u16string& path, const std::u16string& line) {
    const StreamRef stream = OpenForWriting(path);
    if (!stream) {
        return WriteOutcome::NotCreated;
    }
    const bool lineWritten = stream->WriteLine(line) != 0;
    const bool closed = stream->Close() != 0;
    return lineWritten && closed ? WriteOutcome::Written : WriteOutcome::Incomplete;
}

// A name beside `path` that nothing has, so that no file of the user's is overwritten; "" when
// every name tried is taken.
std::u16string UnusedNameBeside(const std::u16string& path) {
    constexpr int kNamesTried = 100;
    for (int number = 1; number <= kNamesTried; ++number) {
        std::u16string name = path + u".saving-" + DecimalText(number);
        if (!PathTaken(name)) {
            return name;
        }
    }
    return u"";
}

// The new line is written to a new file beside `path` and then moved over it, so that a failed
// write leaves the previous file in place, byte for byte.
WriteOutcome ReplaceThroughNewFile(const std::u16string& path, const std::u16string& line) {
    const std::u16string temporary = UnusedNameBeside(path);
    const WriteOutcome outcome =
        temporary.empty() ? WriteOutcome::NotCreated : WriteNewFile(temporary, line);
    if (outcome == WriteOutcome::NotCreated) {
        return outcome;
    }
    if (outcome == WriteOutcome::Incomplete || !ReplaceFile(temporary, path)) {
        RemoveFile(temporary);
        return WriteOutcome::Incomplete;
    }
    return WriteOutcome::Written;
}

// For a folder in which no file can be made while the file itself can be written: the line
// overwrites the file, whose old bytes are written back when the new line does not get through.
bool OverwriteInPlace(const std::u16string& path, const std::u16string& line) {
    const std::optional<std::string> old = ReadFileBytes(path);
    const WriteOutcome outcome = WriteNewFile(path, line);
    if (outcome == WriteOutcome::Incomplete && old) {
        WriteFileBytes(path, *old);
    }
    return outcome == WriteOutcome::Written;
}

// Only a regular file, or nothing yet, is ever replaced: a settings file that leads to a device
// or a folder is left as it is.
bool MayBeReplaced(const std::u16string& path) {
    return !PathTaken(path) || PathKind(path) == kRegularFile;
}

} // namespace

int TApp::LoadSettings() {
    auto& program = Program();
    if (PathKind(program.SettingsPath) != kRegularFile) {
        return 0;
    }
    const StreamRef stream = OpenForReading(program.SettingsPath);
    if (!stream) {
        return 0;
    }
    const std::u16string line = FirstLine(*stream);
    ForEachPieceBetweenBlanks(line, [&program](const std::u16string& piece) {
        if (KeyRef key = TKeyboard::ReturnTKeyFromString(piece)) {
            program.BindList.push_back(std::move(key));
        }
    });
    stream->Close();
    return 0;
}

// A settings file that is a symbolic link is written through it, so that the link stays.
// 1 when the binding was saved; 0 when the file was left as it was.
int TApp::SaveSettings() {
    const std::u16string path = LinkTarget(Program().SettingsPath);
    if (path.empty() || !MayBeReplaced(path)) {
        return 0;
    }
    const std::u16string line = BindingLine(Program().BindList);
    const WriteOutcome outcome = ReplaceThroughNewFile(path, line);
    if (outcome == WriteOutcome::NotCreated) {
        return OverwriteInPlace(path, line) ? 1 : 0;
    }
    return outcome == WriteOutcome::Written ? 1 : 0;
}

} // namespace keyweave
