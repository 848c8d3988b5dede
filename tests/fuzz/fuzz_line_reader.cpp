// Feeds raw bytes to the line reader and checks that the lines it returns are exactly the bytes of
// the file, split at line feeds and zero bytes, with carriage returns dropped.
#include "fuzz_file.h"
#include "runtime/files/files.h"

#include <cstdlib>

using namespace keyweave;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto stream = OpenForReading(fuzz::WriteInput("input.txt", data, size));
    if (!stream) {
        std::abort();
    }
    std::u16string expected;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 10 || data[i] == 0) {
            expected += u'\n';
        } else if (data[i] != 13) {
            expected += static_cast<char16_t>(data[i]);
        }
    }
    std::u16string read;
    std::size_t lines = 0;
    while (!stream->Eof()) {
        read += stream->ReadLine();
        read += u'\n';
        ++lines;
    }
    stream->Close();
    const bool endsWithTerminator = size > 0 && (data[size - 1] == 10 || data[size - 1] == 0);
    if (!endsWithTerminator && size > 0) {
        expected += u'\n';
    }
    if (read != expected || lines > size) {
        std::abort();
    }
    return 0;
}
