#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace keyweave::fuzz {

// A private folder for one fuzzer process, into which each input is written as a real file: the
// readers under test read files, as the program does. The current directory stays as it is,
// because libFuzzer writes its corpus to the relative paths it was given. The folder is removed
// when the process exits normally.
class FuzzFolder {
public:
    FuzzFolder() {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("keyweave-fuzz-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(path_);
    }

    ~FuzzFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }

    FuzzFolder(const FuzzFolder&) = delete;
    FuzzFolder& operator=(const FuzzFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Writes the input to a file of the given name in the fuzzer's folder; returns the file's path.
inline std::u16string WriteInput(const std::string& name, const std::uint8_t* data,
                                 std::size_t size) {
    static const FuzzFolder folder;
    const std::filesystem::path path = folder.Path() / name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path.u16string();
}

} // namespace keyweave::fuzz
