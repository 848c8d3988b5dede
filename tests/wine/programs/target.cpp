// The application a macro plays into: a window that takes the focus and logs every key and
// mouse button it receives, with the time in milliseconds of the system's performance counter,
// and for a button the screen pixel where it went down or up.
// Keys are logged from their window messages and from the raw input that the window receives
// while it is in front, each with its scan code and extended bit, as a game would read them.
//
//   target LOGFILE X Y
//
// Log lines: "<ms> ready", "<ms> keydown <vk> <scan> <extended>", "<ms> keyup ...",
// "<ms> rawdown <vk> <scan> <extended>", "<ms> rawup ...", "<ms> buttondown <1|2> <x> <y>",
// "<ms> buttonup <1|2> <x> <y>".

#include "platform/win32/performance_clock.h"

#include <cstdio>
#include <cstdlib>
#include <windows.h>

namespace {

FILE* logFile = nullptr;

using keyweave::win32::NowMs;

void Log(const char* what, int value) {
    std::fprintf(logFile, "%.3f %s %d\n", NowMs(), what, value);
    std::fflush(logFile);
}

// Client positions travel as two signed 16-bit halves of lParam.
void LogButton(HWND window, const char* what, int button, LPARAM lParam) {
    POINT pixel{static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
    ClientToScreen(window, &pixel);
    std::fprintf(logFile, "%.3f %s %d %ld %ld\n", NowMs(), what, button, pixel.x, pixel.y);
    std::fflush(logFile);
}

void LogKey(const char* what, int key, int scan, bool extended) {
    std::fprintf(logFile, "%.3f %s %d %d %d\n", NowMs(), what, key, scan, extended ? 1 : 0);
    std::fflush(logFile);
}

void LogKeyMessage(const char* what, WPARAM key, LPARAM lParam) {
    LogKey(what, static_cast<int>(key), static_cast<int>((lParam >> 16) & 0xFF),
           ((lParam >> 24) & 1) != 0);
}

void LogRawInput(LPARAM input) {
    RAWINPUT raw{};
    UINT size = sizeof(raw);
    if (GetRawInputData(reinterpret_cast<HRAWINPUT>(input), RID_INPUT, &raw, &size,
                        sizeof(RAWINPUTHEADER)) == static_cast<UINT>(-1) ||
        raw.header.dwType != RIM_TYPEKEYBOARD) {
        return;
    }
    const RAWKEYBOARD& key = raw.data.keyboard;
    LogKey((key.Flags & RI_KEY_BREAK) != 0 ? "rawup" : "rawdown", key.VKey, key.MakeCode,
           (key.Flags & RI_KEY_E0) != 0);
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        LogKeyMessage("keydown", wParam, lParam);
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        LogKeyMessage("keyup", wParam, lParam);
        return 0;
    case WM_INPUT:
        LogRawInput(lParam);
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_LBUTTONDOWN:
        LogButton(window, "buttondown", 1, lParam);
        return 0;
    case WM_LBUTTONUP:
        LogButton(window, "buttonup", 1, lParam);
        return 0;
    case WM_RBUTTONDOWN:
        LogButton(window, "buttondown", 2, lParam);
        return 0;
    case WM_RBUTTONUP:
        LogButton(window, "buttonup", 2, lParam);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: target LOGFILE X Y\n");
        return 2;
    }
    logFile = std::fopen(argv[1], "w");
    if (logFile == nullptr) {
        return 1;
    }
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"KeyweaveTestTarget";
    RegisterClassW(&windowClass);
    HWND window = CreateWindowExW(0, L"KeyweaveTestTarget", L"Keyweave Target",
                                  WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, std::atoi(argv[2]),
                                  std::atoi(argv[3]), 180, 150, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    const RAWINPUTDEVICE keyboard{1, 6, 0, window};
    RegisterRawInputDevices(&keyboard, 1, sizeof(keyboard));
    SetForegroundWindow(window);
    SetFocus(window);
    Log("ready", 0);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
