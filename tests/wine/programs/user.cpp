// A user at the keyboard and the mouse. Keys are physical key transitions: keybd_event with
// their scan codes and, for the keys that a physical keyboard sends with the E0 prefix, the
// extended flag. The mouse moves onto pixels (absolute mouse_event) and presses its buttons.
// Prints when each transition was sent, in milliseconds of the system's performance counter,
// which all processes share.
//
//   user HOLD_MS VK [VK...]   presses the keys one after another, holds them, and releases
//                             them in reverse order: "down VK MS", "up VK MS"
//   user steps STEP...        does the steps in order, each one of
//                               down VK, up VK        "down VK MS", "up VK MS"
//                               press B, release B    a button (1 left, 2 right) where the
//                                                     cursor is: "press B MS", "release B MS"
//                               move X Y              "move X Y MS"
//                               wait MS               nothing printed

#include "platform/win32/extended_keys.h"
#include "platform/win32/performance_clock.h"
#include "pointer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <vector>
#include <windows.h>

namespace {

using keyweave::win32::NowMs;

void Send(int key, bool down) {
    const auto vk = static_cast<BYTE>(key);
    const auto scan = static_cast<BYTE>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    DWORD flags = down ? 0 : KEYEVENTF_KEYUP;
    if (keyweave::win32::IsExtendedKey(vk)) {
        flags |= KEYEVENTF_EXTENDEDKEY;
    }
    keybd_event(vk, scan, flags, 0);
    std::printf("%s %d %.3f\n", down ? "down" : "up", key, NowMs());
}

void SendButton(int button, bool down) {
    const DWORD left = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    const DWORD right = down ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_RIGHTUP;
    mouse_event(button == 2 ? right : left, 0, 0, 0, 0);
    std::printf("%s %d %.3f\n", down ? "press" : "release", button, NowMs());
}

void Move(int x, int y) {
    MovePointer(x, y);
    std::printf("move %d %d %.3f\n", x, y, NowMs());
}

int Hold(int hold, const std::vector<int>& keys) {
    for (int key : keys) {
        Send(key, true);
        Sleep(20);
    }
    Sleep(static_cast<DWORD>(hold));
    for (auto key = keys.rbegin(); key != keys.rend(); ++key) {
        Send(*key, false);
        Sleep(20);
    }
    return 0;
}

int Steps(int count, char** steps) {
    for (int at = 0; at < count;) {
        const char* step = steps[at];
        const int arguments = std::strcmp(step, "move") == 0 ? 2 : 1;
        if (at + arguments >= count) {
            std::fprintf(stderr, "step %s lacks its arguments\n", step);
            return 2;
        }
        const int first = std::atoi(steps[at + 1]);
        if (std::strcmp(step, "down") == 0 || std::strcmp(step, "up") == 0) {
            Send(first, step[0] == 'd');
        } else if (std::strcmp(step, "press") == 0 || std::strcmp(step, "release") == 0) {
            SendButton(first, step[0] == 'p');
        } else if (arguments == 2) {
            Move(first, std::atoi(steps[at + 2]));
        } else if (std::strcmp(step, "wait") == 0) {
            Sleep(static_cast<DWORD>(first));
        } else {
            std::fprintf(stderr, "unknown step %s\n", step);
            return 2;
        }
        at += arguments + 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // Lines end with a bare line feed, as the test reads them.
    _setmode(_fileno(stdout), _O_BINARY);
    int status = 2;
    if (argc >= 2 && std::strcmp(argv[1], "steps") == 0) {
        status = Steps(argc - 2, argv + 2);
    } else if (argc >= 3) {
        std::vector<int> keys;
        for (int arg = 2; arg < argc; ++arg) {
            keys.push_back(std::atoi(argv[arg]));
        }
        status = Hold(std::atoi(argv[1]), keys);
    } else {
        std::fprintf(stderr, "usage: user HOLD_MS VK [VK...] | user steps STEP...\n");
    }
    std::fflush(stdout);
    return status;
}
