#include "script/recording_file.h"

#include "runtime/files/files.h"
#include "runtime/strings.h"
#include "script/script.h"

namespace keyweave {

namespace {

const std::u16string kRecordingName = u"Recording ";
const std::u16string kHeaderLine = u"?kweaver";

int FirstFreeNumber() {
    int number = 1;
    while (PathKind(kScriptsFolder + kRecordingName + DecimalText(number) + u".ini") != 0) {
        ++number;
    }
    return number;
}

bool WriteScript(TCStream& file, const std::u16string& name, const CommandList& commands) {
    bool written = file.WriteLine(kHeaderLine) == 1 && file.WriteLine(u"{" + name) == 1;
    for (const TCommand& command : commands) {
        written = written && file.WriteLine(command.StatementLine()) == 1;
    }
    return file.Close() == 1 && written;
}

} // namespace

SavedRecording SaveRecording(const CommandList& commands) {
    if (!CreateFolder(kScriptsFolder)) {
        return {};
    }
    const int number = FirstFreeNumber();
    const std::u16string name = kRecordingName + DecimalText(number);
    const std::u16string path = kScriptsFolder + name + u".ini";
    StreamRef file = OpenForWriting(path);
    if (!file) {
        return {};
    }
    if (!WriteScript(*file, name, commands)) {
        file.reset();
        RemoveFile(path);
        return {};
    }
    return {number, name + u".ini"};
}

} // namespace keyweave
