#include "checker.h"

#include <iostream>

#ifdef _WIN32
#include "runtime/strings.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
// shellapi.h needs the definitions of windows.h.
#include <shellapi.h>
#endif

namespace {

#ifdef _WIN32
// The arguments as UTF-8. The narrow argv of Windows holds them in the ANSI code page, which
// cannot spell every file name.
std::vector<std::string> Arguments(int, char**) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 1; wide != nullptr && i < count; ++i) {
        const std::wstring arg(wide[i]);
        args.push_back(keyweave::ToUtf8(std::u16string(arg.begin(), arg.end())));
    }
    LocalFree(wide);
    return args;
}
#else
std::vector<std::string> Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}
#endif

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // The listing is written with bare line feeds, as on every other system.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    return keyweave::check::RunCheck(Arguments(argc, argv), std::cout, std::cerr);
}
