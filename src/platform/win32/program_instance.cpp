#include "platform/win32/program_instance.h"

#include "platform/platform_input.h"
#include "platform/system_driver.h"
#include "platform/win32/callback_guard.h"
#include "platform/win32/message_only_window.h"
#include "platform/win32/wide_text.h"
#include "runtime/strings.h"

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <shellapi.h>
#include <thread>
#include <vector>

namespace keyweave::win32 {

namespace {

const wchar_t* const kRequestWindowClass = L"KeyweaveRequests";
const wchar_t* const kReplyWindowClass = L"KeyweaveReply";

// WM_COPYDATA tags: a request's tag plus its kind, and the reply text's.
constexpr ULONG_PTR kRequestTag = 0x4B575200;
constexpr ULONG_PTR kReplyTag = 0x4B575250;
constexpr ULONG_PTR kPresent = 3;
// A request window's answer: this bit and the exit status.
constexpr LRESULT kAnswered = 0x100;

// How long a process waits for the running program's window to appear (it may still be
// starting) and to answer.
constexpr auto kFindLimit = std::chrono::seconds(10);
constexpr UINT kAnswerLimitMs = 10000;

// A request on its way: the caller's reply window, then the script's name.
struct RequestHeader {
    std::uint64_t replyWindow;
};

std::wstring FolderKey(std::wstring folder) {
    CharLowerBuffW(folder.data(), static_cast<DWORD>(folder.size()));
    std::uint64_t hash = 14695981039346656037ull;
    for (wchar_t unit : folder) {
        hash = (hash ^ static_cast<std::uint16_t>(unit)) * 1099511628211ull;
    }
    std::wstring key(16, L'0');
    for (std::size_t digit = key.size(); digit-- > 0; hash >>= 4) {
        key[digit] = L"0123456789abcdef"[hash & 15];
    }
    return key;
}

std::wstring FullPath(const std::wstring& folder) {
    std::wstring path(MAX_PATH, L'\0');
    DWORD length =
        GetFullPathNameW(folder.c_str(), static_cast<DWORD>(path.size()), path.data(), nullptr);
    if (length >= path.size()) {
        path.resize(length);
        length = GetFullPathNameW(folder.c_str(), length, path.data(), nullptr);
    }
    if (length == 0) {
        return folder;
    }
    path.resize(length);
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) {
        path.pop_back();
    }
    return path;
}

bool IsUsable(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE;
}

// The console of the program that started this one, opened once.
HANDLE ParentConsole() {
    static const HANDLE console = [] {
        if (!AttachConsole(ATTACH_PARENT_PROCESS)) {
            return INVALID_HANDLE_VALUE;
        }
        return CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    }();
    return console;
}

void WriteTo(DWORD which, const std::u16string& text) {
    HANDLE handle = GetStdHandle(which);
    if (!IsUsable(handle) || GetFileType(handle) == FILE_TYPE_UNKNOWN) {
        handle = ParentConsole();
    }
    if (!IsUsable(handle)) {
        return;
    }
    DWORD written = 0;
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        const std::wstring wide = Wide(text);
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    } else {
        const std::string bytes = ToUtf8(text);
        WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
}

std::u16string Line(const std::u16string& text) {
    return text + u"\n";
}

void Tell(const RequestOutcome& outcome, void (*write)(const std::u16string&)) {
    if (!outcome.message.empty()) {
        write(Line(outcome.message));
    }
}

BOOL CALLBACK PresentWindow(HWND window, LPARAM) {
    if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == nullptr) {
        if (IsIconic(window)) {
            ShowWindow(window, SW_RESTORE);
        }
        SetForegroundWindow(window);
    }
    return TRUE;
}

void PresentWindows() {
    EnumThreadWindows(GetCurrentThreadId(), PresentWindow, 0);
}

void SendReply(HWND replyWindow, HWND from, const std::u16string& text) {
    const std::wstring wide = Wide(text);
    COPYDATASTRUCT data{kReplyTag, static_cast<DWORD>(wide.size() * sizeof(wchar_t)),
                        const_cast<wchar_t*>(wide.data())};
    SendMessageTimeoutW(replyWindow, WM_COPYDATA, reinterpret_cast<WPARAM>(from),
                        reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, kAnswerLimitMs, nullptr);
}

// A request of another process: carried out, its outcome sent back, its exit status returned.
LRESULT Answer(HWND window, const COPYDATASTRUCT& data) {
    const ULONG_PTR kind = data.dwData - kRequestTag;
    if (kind > kPresent || data.cbData < sizeof(RequestHeader)) {
        return 0;
    }
    RequestHeader header;
    std::memcpy(&header, data.lpData, sizeof header);
    const auto* units =
        reinterpret_cast<const char16_t*>(static_cast<const char*>(data.lpData) + sizeof header);
    const std::u16string name(units, (data.cbData - sizeof header) / sizeof(char16_t));
    if (kind == kPresent) {
        PresentWindows();
        return kAnswered;
    }
    LRESULT status = kExitUnreachable;
    RunGuarded([&] {
        const RequestOutcome outcome = InputRequest(static_cast<RequestKind>(kind), name);
        if (!outcome.message.empty()) {
            SendReply(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(header.replyWindow)),
                      window, outcome.message);
        }
        status = ExitStatusOf(outcome);
    });
    return kAnswered | status;
}

LRESULT CALLBACK RequestProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        return Answer(window, *reinterpret_cast<const COPYDATASTRUCT*>(lParam));
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// What the running program sent back while it answered.
std::u16string replyText;

LRESULT CALLBACK ReplyProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const auto& data = *reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (data.dwData == kReplyTag) {
            const auto* units = static_cast<const char16_t*>(data.lpData);
            replyText.assign(units, data.cbData / sizeof(char16_t));
            return TRUE;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The request window of the program that holds the mutex; it may still be starting.
HWND FindRequestWindow(const std::wstring& key) {
    const auto deadline = std::chrono::steady_clock::now() + kFindLimit;
    for (;;) {
        HWND window = FindWindowExW(HWND_MESSAGE, nullptr, kRequestWindowClass, key.c_str());
        if (window != nullptr || std::chrono::steady_clock::now() >= deadline) {
            return window;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

[[noreturn]] void ExitUnreachable() {
    WriteStandardError(u"keyweave: the Keyweave of this folder does not answer.\n");
    std::exit(kExitUnreachable);
}

// Hands the request to the running program and ends with the status it gives.
[[noreturn]] void HandOver(const CommandLine& line, const std::wstring& key) {
    HWND target = FindRequestWindow(key);
    if (target == nullptr) {
        ExitUnreachable();
    }
    HWND reply = CreateMessageOnlyWindow(kReplyWindowClass, ReplyProcedure);
    const bool request = line.kind == CommandLine::Kind::Request;
    const std::u16string name = FromUtf8(line.scriptName);
    std::vector<char> bytes(sizeof(RequestHeader) + name.size() * sizeof(char16_t));
    const RequestHeader header{static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(reply))};
    std::memcpy(bytes.data(), &header, sizeof header);
    std::memcpy(bytes.data() + sizeof header, name.data(), name.size() * sizeof(char16_t));
    COPYDATASTRUCT data{kRequestTag + (request ? static_cast<ULONG_PTR>(line.request) : kPresent),
                        static_cast<DWORD>(bytes.size()), bytes.data()};
    DWORD process = 0;
    GetWindowThreadProcessId(target, &process);
    AllowSetForegroundWindow(process);
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(target, WM_COPYDATA, reinterpret_cast<WPARAM>(reply),
                            reinterpret_cast<LPARAM>(&data), SMTO_NORMAL, kAnswerLimitMs,
                            &answer) == 0 ||
        (answer & kAnswered) == 0) {
        ExitUnreachable();
    }
    if (!replyText.empty()) {
        WriteStandardError(Line(replyText));
    }
    std::exit(static_cast<int>(answer & ~static_cast<DWORD_PTR>(kAnswered)));
}

std::vector<std::string> Arguments() {
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; i < count; ++i) {
        arguments.push_back(ToUtf8(FromWide(words[i])));
    }
    LocalFree(words);
    return arguments;
}

} // namespace

void WriteStandardError(const std::u16string& text) {
    WriteTo(STD_ERROR_HANDLE, text);
}

void WriteStandardOutput(const std::u16string& text) {
    WriteTo(STD_OUTPUT_HANDLE, text);
}

CommandLine ReadArgumentsOrExit() {
    const CommandLine line = ReadCommandLine(Arguments());
    switch (line.kind) {
    case CommandLine::Kind::Help:
        WriteStandardOutput(FromUtf8(kHelpText));
        std::exit(0);
    case CommandLine::Kind::Version:
        WriteStandardOutput(FromUtf8(kVersionText));
        std::exit(0);
    case CommandLine::Kind::Wrong:
        WriteStandardError(u"keyweave: " + FromUtf8(line.problem) + u"\n" + FromUtf8(kUsageText));
        std::exit(kExitUsage);
    default:
        return line;
    }
}

ProgramInstance::ProgramInstance(const CommandLine& line, const std::wstring& folder)
    : line_(line), key_(FolderKey(FullPath(folder))) {
    mutex_ = CreateMutexW(nullptr, FALSE, (L"Local\\Keyweave-" + key_).c_str());
    if (mutex_ != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        CloseHandle(mutex_);
        HandOver(line, key_);
    }
}

ProgramInstance::~ProgramInstance() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
    if (mutex_ != nullptr) {
        CloseHandle(mutex_);
    }
}

void ProgramInstance::Listen(SystemDriver& system) {
    window_ = CreateMessageOnlyWindow(kRequestWindowClass, RequestProcedure, key_.c_str());
    if (line_.kind != CommandLine::Kind::Request) {
        return;
    }
    system.PostMainThreadCall([line = line_] {
        Tell(InputRequest(line.request, FromUtf8(line.scriptName)), WriteStandardError);
    });
}

} // namespace keyweave::win32
