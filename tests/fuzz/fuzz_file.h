#pragma once

#include "support/temp_folder.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace keyweave::fuzz {

// Writes the input to a file of the given name in a private folder of this fuzzer process, as a
// real file: the readers under test read files, as the program does. The current directory stays
// as it is, because libFuzzer writes its corpus to the relative paths it was given. The folder is
// removed when the process exits normally. Returns the file's path.
inline std::u16string WriteInput(const std::string& name, const std::uint8_t* data,
                                 std::size_t size) {
    static const testing::TempFolder folder("keyweave-fuzz");
    const std::filesystem::path path = folder.Path() / name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    return path.u16string();
}

} // namespace keyweave::fuzz
