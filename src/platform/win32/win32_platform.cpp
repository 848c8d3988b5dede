#include "platform/win32/win32_platform.h"

#include "platform/win32/program_instance.h"

#include <windows.h>
// These need windows.h before them.
#include <commctrl.h>
#include <cstdlib>
#include <mmsystem.h>
#include <string>

namespace keyweave::win32 {

namespace {

// A function of a system DLL that older Windows versions lack, looked up by name.
template <typename Function> Function SystemFunction(const wchar_t* dll, const char* name) {
    HMODULE module = GetModuleHandleW(dll);
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

void MakeProgramFolderCurrent() {
    const std::wstring folder = ProgramFolder();
    if (!folder.empty()) {
        SetCurrentDirectoryW(folder.c_str());
    }
}

// The manifest asks for per-monitor awareness too; this covers a program started without it.
void BecomeDpiAware() {
    using SetAwareness = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
    if (auto set = SystemFunction<SetAwareness>(L"user32.dll", "SetProcessDpiAwarenessContext")) {
        set(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    }
}

// Windows 11 lowers the timer resolution of a process whose windows are hidden or minimised,
// which is exactly when a macro plays into another program: ask it to keep 1 ms.
void KeepTimerResolution() {
    using SetInformation = BOOL(WINAPI*)(HANDLE, PROCESS_INFORMATION_CLASS, LPVOID, DWORD);
    auto set = SystemFunction<SetInformation>(L"kernel32.dll", "SetProcessInformation");
    if (set == nullptr) {
        return;
    }
    PROCESS_POWER_THROTTLING_STATE state{};
    state.Version = PROCESS_POWER_THROTTLING_CURRENT_VERSION;
    state.ControlMask = PROCESS_POWER_THROTTLING_IGNORE_TIMER_RESOLUTION;
    state.StateMask = 0;
    set(GetCurrentProcess(), ProcessPowerThrottling, &state, sizeof(state));
}

void EndTimerResolution() {
    timeEndPeriod(1);
}

void RegisterCommonControls() {
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
}

} // namespace

std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const auto separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) {
        return {};
    }
    path.resize(separator + 1);
    return path;
}

void PrepareProcess() {
    static const bool prepared = [] {
        MakeProgramFolderCurrent();
        BecomeDpiAware();
        KeepTimerResolution();
        timeBeginPeriod(1);
        std::atexit(EndTimerResolution);
        RegisterCommonControls();
        return true;
    }();
    static_cast<void>(prepared);
}

ScreenSize PrimaryScreenSize() {
    RECT desktop{};
    GetClientRect(GetDesktopWindow(), &desktop);
    return {desktop.right - desktop.left, desktop.bottom - desktop.top};
}

Win32Platform::Win32Platform()
    : Platform({keyboard_, mouse_, timers_, system_, gadgets_, watcher_}), keyChanges_(rawInput_),
      watcher_(rawInput_), system_(keyChanges_, watcher_, turn_, ticks_, wakes_),
      desktop_(PrimaryScreenSize()), keyboard_(keyChanges_, turn_), mouse_(desktop_, turn_),
      gadgets_(system_, desktop_) {
    timers_.SetListener(&wakes_);
}

} // namespace keyweave::win32

namespace keyweave {

std::unique_ptr<Platform> CreatePlatform(int, char**) {
    const CommandLine line = win32::ReadArgumentsOrExit();
    // The one Keyweave of this folder for the life of the process; when another process is
    // that program, this one ends here, its request handed over.
    static win32::ProgramInstance instance(line, win32::ProgramFolder());
    win32::PrepareProcess();
    auto platform = std::make_unique<win32::Win32Platform>();
    instance.Listen(platform->System());
    return platform;
}

} // namespace keyweave
