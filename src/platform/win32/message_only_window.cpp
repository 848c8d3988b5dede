#include "platform/win32/message_only_window.h"

namespace keyweave::win32 {

HWND CreateMessageOnlyWindow(const wchar_t* className, WNDPROC procedure, const wchar_t* name) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = className;
    // A second registration of the same class fails harmlessly; the window needs only one.
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, className, name, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

} // namespace keyweave::win32
