#include "raw_text.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace keyweave::check {

namespace {

bool StartsWith(const std::string& bytes, std::string_view prefix) {
    return bytes.compare(0, prefix.size(), prefix) == 0;
}

// Text in UTF-16 without a byte-order mark: in most of the first byte pairs one byte is zero
// and the other is not, always on the same side.
bool LooksLikeUtf16(const std::string& bytes) {
    const std::size_t pairs = std::min<std::size_t>(bytes.size() / 2, 32);
    if (pairs == 0) {
        return false;
    }
    std::size_t zeroSecond = 0;
    std::size_t zeroFirst = 0;
    for (std::size_t i = 0; i < pairs; ++i) {
        const bool first = bytes[2 * i] == '\0';
        const bool second = bytes[2 * i + 1] == '\0';
        zeroSecond += !first && second;
        zeroFirst += first && !second;
    }
    return std::max(zeroFirst, zeroSecond) * 4 >= pairs * 3;
}

} // namespace

Encoding DetectEncoding(const std::string& bytes) {
    if (StartsWith(bytes, "\xEF\xBB\xBF")) {
        return Encoding::Utf8WithMark;
    }
    if (StartsWith(bytes, "\xFF\xFE") || StartsWith(bytes, "\xFE\xFF") || LooksLikeUtf16(bytes)) {
        return Encoding::Utf16;
    }
    return Encoding::Bytes;
}

std::vector<RawLine> CutLikeReadLine(const std::string& bytes, std::size_t mostLines) {
    std::vector<RawLine> lines;
    int editorLine = 1;
    std::size_t pos = 0;
    while (pos < bytes.size() && lines.size() < mostLines) {
        RawLine line{editorLine, false};
        while (pos < bytes.size() && bytes[pos] != '\n' && bytes[pos] != '\0') {
            ++pos;
        }
        if (pos < bytes.size()) {
            line.endsAtZero = bytes[pos] == '\0';
            editorLine += line.endsAtZero ? 0 : 1;
            ++pos;
        }
        lines.push_back(line);
    }
    return lines;
}

bool ReadRawBytes(const std::u16string& path, std::string& bytes) {
    std::u16string portable = path;
    std::replace(portable.begin(), portable.end(), u'\\', u'/');
    std::ifstream file(std::filesystem::path(portable), std::ios::binary);
    if (!file) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return !file.bad();
}

} // namespace keyweave::check
