// A user at the keyboard: presses the given keys one after another, holds them, and releases
// them in reverse order, as physical key transitions (keybd_event with their scan codes).
// Prints when each transition was sent, in milliseconds of the system's performance counter,
// which all processes share.
//
//   user HOLD_MS VK [VK...]

#include "platform/win32/performance_clock.h"

#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <io.h>
#include <vector>
#include <windows.h>

namespace {

using keyweave::win32::NowMs;

void Send(int key, bool down) {
    const auto scan = static_cast<BYTE>(MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC));
    keybd_event(static_cast<BYTE>(key), scan, down ? 0 : KEYEVENTF_KEYUP, 0);
    std::printf("%s %d %.3f\n", down ? "down" : "up", key, NowMs());
}

} // namespace

int main(int argc, char** argv) {
    // Lines end with a bare line feed, as the test reads them.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc < 3) {
        std::fprintf(stderr, "usage: user HOLD_MS VK [VK...]\n");
        return 2;
    }
    const int hold = std::atoi(argv[1]);
    std::vector<int> keys;
    for (int arg = 2; arg < argc; ++arg) {
        keys.push_back(std::atoi(argv[arg]));
    }
    for (int key : keys) {
        Send(key, true);
        Sleep(20);
    }
    Sleep(static_cast<DWORD>(hold));
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
        Send(*key, false);
        Sleep(20);
    }
    std::fflush(stdout);
    return 0;
}
