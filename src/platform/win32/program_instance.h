#pragma once

#include "runtime/system/command_line.h"

#include <string>
#include <windows.h>

namespace keyweave {

class SystemDriver;

namespace win32 {

// The program's arguments, read from the wide command line; `--help`, `--version` and wrong
// arguments are answered on the console or the standard handles at once and end the process.
CommandLine ReadArgumentsOrExit();

// Writes a text to the standard error or output of this windowed program: to the handle it
// was given when its output was redirected, else to the console of the program that started
// it (AttachConsole), else nowhere.
void WriteStandardError(const std::u16string& text);
void WriteStandardOutput(const std::u16string& text);

// One Keyweave per folder: a named mutex, Local\Keyweave-<key>, claimed by the program of the
// folder, and a message-only window of class "KeyweaveRequests" named <key> that takes the
// requests of other processes as WM_COPYDATA on the main thread, where <key> is 16
// hexadecimal digits of a hash of the folder's full path in lower case. The window answers
// with the request's exit status, and sends what came of it back to the caller's reply
// window as a WM_COPYDATA of its own first. A process without a request asks the running
// program to bring its window to the front.
class ProgramInstance {
public:
    // Claims the mutex of `folder`. When another process holds it, hands it this process's
    // request, prints its answer and ends this process with the status it gives.
    ProgramInstance(const CommandLine& line, const std::wstring& folder);
    ~ProgramInstance();
    ProgramInstance(const ProgramInstance&) = delete;
    ProgramInstance& operator=(const ProgramInstance&) = delete;

    // Opens the request window on the calling thread, the main thread, and carries out this
    // process's own request at the first pump, with what came of it on standard error.
    void Listen(SystemDriver& system);

private:
    CommandLine line_;
    std::wstring key_;
    HANDLE mutex_ = nullptr;
    HWND window_ = nullptr;
};

} // namespace win32
} // namespace keyweave
