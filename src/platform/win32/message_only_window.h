#pragma once

#include <windows.h>

namespace keyweave::win32 {

// A hidden window of the calling thread that only receives the messages sent or posted to it:
// never shown, it gets no broadcasts. The class is registered on first use; null on failure.
// Other processes find it by its class and `name` (FindWindowExW with HWND_MESSAGE).
HWND CreateMessageOnlyWindow(const wchar_t* className, WNDPROC procedure,
                             const wchar_t* name = L"");

} // namespace keyweave::win32
