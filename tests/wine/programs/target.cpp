// The application a macro plays into: a window that takes the focus and logs every key and
// mouse button it receives, with the time in milliseconds of the system's performance counter.
//
//   target LOGFILE X Y
//
// Log lines: "<ms> ready", "<ms> keydown <vk>", "<ms> keyup <vk>", "<ms> buttondown <1|2>",
// "<ms> buttonup <1|2>".

#include <cstdio>
#include <cstdlib>
#include <windows.h>

namespace {

FILE* logFile = nullptr;

double NowMs() {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

void Log(const char* what, int value) {
    std::fprintf(logFile, "%.3f %s %d\n", NowMs(), what, value);
    std::fflush(logFile);
}

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        Log("keydown", static_cast<int>(wParam));
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        Log("keyup", static_cast<int>(wParam));
        return 0;
    case WM_LBUTTONDOWN:
        Log("buttondown", 1);
        return 0;
    case WM_LBUTTONUP:
        Log("buttonup", 1);
        return 0;
    case WM_RBUTTONDOWN:
        Log("buttondown", 2);
        return 0;
    case WM_RBUTTONUP:
        Log("buttonup", 2);
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
