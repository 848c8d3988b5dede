#include "runtime/files/files.h"

#include "runtime/strings.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <system_error>
#include <type_traits>

namespace keyweave {

namespace fs = std::filesystem;

namespace {

// Room for a line of usual length at once, rather than in a few steps as it grows.
constexpr std::size_t kUsualLineCharacters = 64;

std::u16string WithSlashes(std::u16string path) {
    std::replace(path.begin(), path.end(), u'\\', u'/');
    return path;
}

bool IsRoot(const std::u16string& path) {
    bool driveRoot = path.size() == 3 && path[1] == u':' && path[2] == u'/';
    return path == u"/" || driveRoot;
}

std::u16string FolderPath(const std::u16string& path) {
    std::u16string folder = WithSlashes(path);
    if (folder.size() > 1 && folder.back() == u'/' && !IsRoot(folder)) {
        folder.pop_back();
    }
    return folder;
}

// Paths are bytes (UTF-8) on some systems and UTF-16 code units on others. Converting through
// the system's own string type never throws, not even for unpaired surrogates or names that
// are not UTF-8; such names get U+FFFD where they break.
template <typename Native> Native NativeText(const std::u16string& text) {
    if constexpr (std::is_same_v<Native, std::string>) {
        return ToUtf8(text);
    } else {
        return Native(text.begin(), text.end());
    }
}

template <typename Native> std::u16string TextFromNative(const Native& native) {
    if constexpr (std::is_same_v<Native, std::string>) {
        return FromUtf8(native);
    } else {
        return std::u16string(native.begin(), native.end());
    }
}

fs::path NativePath(const std::u16string& path) {
    return fs::path(NativeText<fs::path::string_type>(WithSlashes(path)));
}

StreamRef Open(const std::u16string& path, std::ios::openmode openMode, int mode) {
    fs::path nativePath = NativePath(path);
    std::error_code error;
    // Some systems open a folder for reading like a file; it never is one here.
    if (fs::is_directory(nativePath, error)) {
        return nullptr;
    }
    std::filebuf file;
    if (!file.open(nativePath, openMode | std::ios::binary)) {
        return nullptr;
    }
    std::streamoff size = file.pubseekoff(0, std::ios::end, std::ios::in | std::ios::out);
    if (size < 0 || file.pubseekpos(0) != 0) {
        return nullptr;
    }
    return std::make_unique<TCStream>(std::move(file), size, mode);
}

} // namespace

std::vector<std::u16string> ListFolder(const std::u16string& path, bool skipDots) {
    std::vector<std::u16string> names;
    std::error_code error;
    fs::directory_iterator entry(NativePath(FolderPath(path)), error);
    if (error) {
        return names;
    }
    if (!skipDots) {
        names.push_back(u".");
        names.push_back(u"..");
    }
    for (; entry != fs::directory_iterator(); entry.increment(error)) {
        names.push_back(TextFromNative(entry->path().filename().native()));
    }
    return names;
}

std::u16string PathExtension(const std::u16string& path) {
    std::u16string normal = WithSlashes(path);
    std::size_t dot = normal.rfind(u'.');
    if (dot == std::u16string::npos || normal.find(u'/', dot) != std::u16string::npos) {
        return u"";
    }
    return normal.substr(dot + 1);
}

int PathKind(const std::u16string& path) {
    std::error_code error;
    fs::file_status status = fs::status(NativePath(path), error);
    if (error) {
        return 0;
    }
    if (fs::is_regular_file(status)) {
        return 1;
    }
    if (fs::is_directory(status)) {
        return 2;
    }
    return 0;
}

std::int64_t FileSize(const std::u16string& path) {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(NativePath(path), error);
    return error ? 0 : static_cast<std::int64_t>(size);
}

TCStream::TCStream(std::filebuf file, std::int64_t size, int mode)
    : _size(size), _cstream(std::move(file)), _mode(mode) {}

TCStream::~TCStream() {
    Close();
}

std::u16string TCStream::ReadLine(std::size_t mostCharacters) {
    std::u16string line;
    line.reserve(kUsualLineCharacters);
    ReadLineInto(line, mostCharacters);
    return line;
}

void TCStream::ReadLineInto(std::u16string& line, std::size_t mostCharacters) {
    line.clear();
    while (_pos < _size && line.size() < mostCharacters) {
        std::filebuf::int_type byte = _cstream.sbumpc();
        if (byte == std::filebuf::traits_type::eof()) {
            // The file shrank or could not be read: end here for good, so that a reader
            // looping until Eof() stops.
            _failed = true;
            _pos = _size;
            break;
        }
        ++_pos;
        if (byte == 10 || byte == 0) {
            break;
        }
        if (byte != 13) {
            line.push_back(static_cast<char16_t>(static_cast<unsigned char>(byte)));
        }
    }
}

int TCStream::WriteLine(const std::u16string& text) {
    std::string bytes;
    bytes.reserve(text.size() + 2);
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
    }
    bytes += "\r\n";
    std::streamsize written = _cstream.is_open() ? _cstream.sputn(bytes.data(), bytes.size()) : 0;
    _pos += written;
    _size = std::max(_size, _pos);
    if (written != static_cast<std::streamsize>(bytes.size())) {
        _failed = true;
        return 0;
    }
    return 1;
}

int TCStream::Close() {
    if (_cstream.is_open() && _cstream.close() == nullptr) {
        _failed = true;
    }
    return _failed ? 0 : 1;
}

StreamRef OpenForReading(const std::u16string& path) {
    return Open(path, std::ios::in, 1);
}

StreamRef OpenForWriting(const std::u16string& path) {
    return Open(path, std::ios::out | std::ios::trunc, 2);
}

bool PathTaken(const std::u16string& path) {
    std::error_code error;
    return fs::symlink_status(NativePath(path), error).type() != fs::file_type::not_found && !error;
}

std::u16string LinkTarget(const std::u16string& path) {
    // As many links as the system itself follows before it gives up on a loop.
    constexpr int kMostLinks = 40;
    fs::path current = NativePath(path);
    for (int hop = 0; hop <= kMostLinks; ++hop) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(current, error))) {
            return TextFromNative(current.native());
        }
        const fs::path next = fs::read_symlink(current, error);
        if (error) {
            return u"";
        }
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return u"";
}

std::optional<std::string> ReadFileBytes(const std::u16string& path) {
    const fs::path nativePath = NativePath(path);
    std::error_code error;
    if (fs::is_directory(nativePath, error)) {
        return std::nullopt;
    }
    std::ifstream file(nativePath, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) {
        return std::nullopt;
    }
    return bytes;
}

bool WriteFileBytes(const std::u16string& path, const std::string& bytes) {
    std::ofstream file(NativePath(path), std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    return !file.fail();
}

bool ReplaceFile(const std::u16string& from, const std::u16string& to) {
    std::error_code error;
    fs::rename(NativePath(from), NativePath(to), error);
    return !error;
}

bool RemoveFile(const std::u16string& path) {
    if (PathKind(path) == 2) {
        return false;
    }
    std::error_code error;
    return fs::remove(NativePath(path), error) && !error;
}

bool CreateFolder(const std::u16string& path) {
    std::error_code error;
    fs::create_directory(NativePath(FolderPath(path)), error);
    return PathKind(path) == 2;
}

} // namespace keyweave
