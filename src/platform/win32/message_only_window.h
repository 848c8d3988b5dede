#pragma once

#include <windows.h>

namespace keyweave::win32 {

// A hidden window of the calling thread that only receives the messages sent or posted to it:
// never shown, it gets no broadcasts. The class is registered on first use; null on failure.
HWND CreateMessageOnlyWindow(const wchar_t* className, WNDPROC procedure);

} // namespace keyweave::win32
