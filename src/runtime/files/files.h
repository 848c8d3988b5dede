#pragma once

#include <cstdint>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace keyweave {

// Paths are texts in which backslashes and slashes both separate folders; relative paths are
// resolved against the current directory. Files are read and written one byte per character.

// The names in a folder, in the order the system gives them; with skipDots, "." and ".."
// are left out. Empty when the folder cannot be read.
std::vector<std::u16string> ListFolder(const std::u16string& path, bool skipDots);

// The extension after the last dot of the last path element, without the dot; or "".
std::u16string PathExtension(const std::u16string& path);

// 0 nothing there (or not accessible), 1 regular file, 2 folder.
int PathKind(const std::u16string& path);

// The size of a regular file in bytes; 0 when there is none or it cannot be told.
std::int64_t FileSize(const std::u16string& path);

// A file opened in binary mode.
class TCStream {
public:
    TCStream(std::filebuf file, std::int64_t size, int mode);
    ~TCStream();
    TCStream(const TCStream&) = delete;
    TCStream& operator=(const TCStream&) = delete;

    // 1 when the position equals the size.
    int Eof() const { return _pos >= _size ? 1 : 0; }
    // The file's size in bytes when it was opened.
    std::int64_t Size() const { return _size; }

    // The next line: bytes up to a line feed, a zero byte or the end of the file; carriage
    // returns dropped; each byte one character. A line longer than `mostCharacters` ends
    // there: the rest stays unread.
    std::u16string ReadLine(std::size_t mostCharacters = std::u16string::npos);
    // The same, into `line`, whose room is reused: a reader of millions of lines allocates
    // only for the longest.
    void ReadLineInto(std::u16string& line, std::size_t mostCharacters);

    // Writes the low byte of each character, then CR LF; 1 when every byte was written.
    int WriteLine(const std::u16string& text);

    // Flushes and closes; 0 when that, or an earlier read or write of this stream, failed.
    // A second Close closes nothing and gives the same answer.
    int Close();

private:
    std::int64_t _pos = 0;
    std::int64_t _size = 0;
    std::filebuf _cstream;
    int _mode;
    bool _failed = false;
};

using StreamRef = std::unique_ptr<TCStream>;

StreamRef OpenForReading(const std::u16string& path);
StreamRef OpenForWriting(const std::u16string& path);

// Whether anything at all has this path: a file, a folder, or a link, even one that leads
// nowhere.
bool PathTaken(const std::u16string& path);

// The path at which a chain of symbolic links starting at `path` ends, whether or not anything
// is there; `path` itself when it is no link; "" when the chain loops or cannot be read.
std::u16string LinkTarget(const std::u16string& path);

// The bytes of a whole file; none when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::u16string& path);

// Writes these bytes as the file's whole content; false when that failed.
bool WriteFileBytes(const std::u16string& path, const std::string& bytes);

// Renames a file over another, replacing it; false when that failed.
bool ReplaceFile(const std::u16string& from, const std::u16string& to);

// Removes a file; false when that failed.
bool RemoveFile(const std::u16string& path);

// Makes a folder where nothing is; true when a folder is there afterwards.
bool CreateFolder(const std::u16string& path);

} // namespace keyweave
