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
//   user run PROGRAM ARG...   runs a program with the arguments and waits for its end:
//                             "run MS" just before it starts, "ended STATUS MS" after

#include "platform/win32/extended_keys.h"
#include "platform/win32/performance_clock.h"
#include "pointer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <vector>
#include <windows.h>
// This needs windows.h before it.
#include <shellapi.h>

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

// The program's wide arguments from `first` on, joined with blanks, each quoted; none may hold
// a quotation mark.
std::wstring CommandFrom(int first) {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::wstring command;
    for (int i = first; i < count; ++i) {
        command += (i > first ? L" \"" : L"\"") + std::wstring(words[i]) + L"\"";
    }
    LocalFree(words);
    return command;
}

int Run(std::wstring command) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::printf("run %.3f\n", NowMs());
    std::fflush(stdout);
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::fprintf(stderr, "cannot run the program (error %lu)\n", GetLastError());
        return 2;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    std::printf("ended %lu %.3f\n", status, NowMs());
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // Lines end with a bare line feed, as the test reads them.
    _setmode(_fileno(stdout), _O_BINARY);
    int status = 2;
    if (argc >= 2 && std::strcmp(argv[1], "steps") == 0) {
        status = Steps(argc - 2, argv + 2);
    } else if (argc >= 3 && std::strcmp(argv[1], "run") == 0) {
        status = Run(CommandFrom(2));
    } else if (argc >= 3) {
        std::vector<int> keys;
        for (int arg = 2; arg < argc; ++arg) {
            keys.push_back(std::atoi(argv[arg]));
        }
        status = Hold(std::atoi(argv[1]), keys);
    } else {
        std::fprintf(stderr,
                     "usage: user HOLD_MS VK [VK...] | user steps STEP... | user run PROGRAM...\n");
    }
    std::fflush(stdout);
    return status;
}
