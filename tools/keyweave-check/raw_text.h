#pragma once

#include <string>
#include <vector>

namespace keyweave::check {

// What the first bytes of a file say about how it was saved.
enum class Encoding { Bytes, Utf8WithMark, Utf16 };

Encoding DetectEncoding(const std::string& bytes);

// The file's bytes cut as the script reader cuts them: a line ends at a line feed, at a zero
// byte or at the end of the file. For each piece, the line an editor shows it on, counted
// from 1, and whether a zero byte ended it. Only the first `mostLines` pieces are cut: the
// reader stops at its budget of lines.
struct RawLine {
    int editorLine = 1;
    bool endsAtZero = false;
};
std::vector<RawLine> CutLikeReadLine(const std::string& bytes,
                                     std::size_t mostLines = std::size_t(-1));

// The whole file as bytes; false when it cannot be read.
bool ReadRawBytes(const std::u16string& path, std::string& bytes);

} // namespace keyweave::check
