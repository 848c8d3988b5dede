#include "checker.h"

#include <iostream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // The listing is written with bare line feeds, as on every other system.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    const std::vector<std::string> args(argv + 1, argv + argc);
    return keyweave::check::RunCheck(args, std::cout, std::cerr);
}
