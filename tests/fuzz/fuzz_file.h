#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace keyweave::fuzz {

// A private folder for one fuzzer process, made the current directory, into which each input is
// written as a real file: the readers under test read files, as the program does.
inline std::filesystem::path FuzzFolder() {
    static const std::filesystem::path folder = [] {
        auto path = std::filesystem::temp_directory_path() /
                    ("keyweave-fuzz-" + std::to_string(reinterpret_cast<std::uintptr_t>(&folder)));
        std::filesystem::create_directories(path);
        std::filesystem::current_path(path);
        return path;
    }();
    return folder;
}

inline void WriteInput(const std::string& name, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(FuzzFolder() / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

} // namespace keyweave::fuzz
