#include "platform/win32/win32_system_driver.h"

#include "platform/platform_input.h"
#include "platform/win32/callback_guard.h"
#include "platform/win32/message_only_window.h"
#include "platform/win32/performance_clock.h"
#include "platform/win32/wide_text.h"
#include "runtime/system/main_thread_calls.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>

namespace keyweave::win32 {

namespace {

// Written once, before any other thread exists; read by the threads that post calls.
std::atomic<DWORD> mainThreadId{0};
std::atomic<HWND> callWindow{nullptr};
// Set by every post, so that it wakes the pause.
HANDLE posted = nullptr;

// The calls of the process, as long as the window that runs them: never destroyed, since a
// timer's thread may still post while the process ends.
MainThreadCallQueue& Calls() {
    static auto* const calls = new MainThreadCallQueue;
    return *calls;
}

const wchar_t* const kCallWindowClass = L"KeyweaveCalls";

// Every message loop dispatches the wake-up to this window (the pump, a message box's modal
// loop), which runs the calls that wait. A window rather than a get-message hook: under Wine
// a hook costs three round trips to the server for every message any loop takes.
LRESULT CALLBACK CallWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kMainThreadCallMessage) {
        Calls().RunPending();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

// Windows 10 1803 and later wake a wait on a high-resolution timer within a fraction of a
// millisecond; older versions refuse the flag, and the pause falls back to the 1 ms time-outs
// of the resolution requested at start.
HANDLE HighResolutionTimer() {
    return CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                  TIMER_ALL_ACCESS);
}

using DelayExecution = LONG(WINAPI*)(BOOLEAN alertable, PLARGE_INTEGER interval);

// Wine serves time-outs and timer objects in its server, which is up to a millisecond late
// with them whenever it is busy (with the keys that a script injects, say), but it sleeps a
// thread that waits for nothing but time to the microsecond. Under Wine, then, the pause
// sleeps the last stretch before its wake time that way; elsewhere there is no such delay.
DelayExecution WinePreciseDelay() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<DelayExecution>(
        reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtDelayExecution")));
}

// The last stretch of a pause under Wine, slept without waking for a call: a server time-out
// of the rest ends at most about a millisecond late, well before the wake time.
constexpr double kLastStretchMs = 2.5;

constexpr double kForegroundCheckMs = 100;

constexpr double kSpinMs = 0.15;

bool MessageWaiting() {
    return HIWORD(GetQueueStatus(QS_ALLINPUT)) != 0;
}

bool IsKeyMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
           message == WM_SYSKEYUP;
}

bool IsModifierKey(WPARAM key) {
    return key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU || key == VK_LWIN ||
           key == VK_RWIN;
}

bool IsDown(int key) {
    return (GetKeyState(key) & 0x8000) != 0;
}

int CurrentModifiers() {
    int state = 0;
    if (IsDown(VK_SHIFT)) {
        state |= 1;
    }
    if (IsDown(VK_CONTROL)) {
        state |= 2;
    }
    if (IsDown(VK_MENU)) {
        state |= 4;
    }
    if (IsDown(VK_LWIN) || IsDown(VK_RWIN)) {
        state |= 8;
    }
    return state;
}

bool IsTabStopChild(HWND window) {
    constexpr LONG kBoth = WS_CHILD | WS_TABSTOP;
    return (GetWindowLongW(window, GWL_STYLE) & kBoth) == kBoth;
}

// The window that moves the keyboard between the controls of a message's window: its first
// ancestor that is not itself a tab-stop child. None for other windows.
HWND DialogAncestor(HWND window) {
    if (window == nullptr || !IsTabStopChild(window)) {
        return nullptr;
    }
    HWND ancestor = GetParent(window);
    while (ancestor != nullptr && IsTabStopChild(ancestor)) {
        ancestor = GetParent(ancestor);
    }
    return ancestor;
}

} // namespace

UINT NotifyBoxType(bool serious) {
    return MB_OK | MB_TOPMOST | (serious ? MB_ICONWARNING : MB_ICONINFORMATION);
}

Win32SystemDriver::Win32SystemDriver(KeyChangeWatch& keyChanges, const Win32InputWatcher& watcher,
                                     TurnClock& turn, TickSchedule& ticks, Win32TimerWakes& wakes)
    : keyChanges_(keyChanges), watcher_(watcher), wakes_(wakes),
      pause_(*this, turn, ticks, Calls()), preciseDelay_(WinePreciseDelay()),
      pauseTimer_(preciseDelay_ == nullptr ? HighResolutionTimer() : nullptr) {
    if (callWindow == nullptr) {
        mainThreadId = GetCurrentThreadId();
        posted = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        callWindow = CreateMessageOnlyWindow(kCallWindowClass, CallWindowProcedure);
    }
    Calls().PauseEnded();
}

Win32SystemDriver::~Win32SystemDriver() {
    if (pauseTimer_ != nullptr) {
        CloseHandle(pauseTimer_);
    }
}

// The pump stops after a raw key report, so that the poll asks the key at once: under Wine the
// peek that would find the queue empty is one more round trip to the server before the
// Start/Stop keys are seen. The messages left are read by the next pump, a turn later at most.
void Win32SystemDriver::Poll() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (IsKeyMessage(message.message) && IsModifierKey(message.wParam)) {
            modifierState_ = CurrentModifiers();
        }
        HWND dialog = DialogAncestor(message.hwnd);
        if (dialog != nullptr && IsDialogMessageW(dialog, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
        if (message.message == WM_INPUT && keyChanges_.KeyReported()) {
            break;
        }
    }
    keyChanges_.QueueEmptied();
    // Calls whose wake-up a modal loop took while a call ran (calls never nest) wait for this.
    Calls().RunPending();
    RaiseKeptFailure();
    Calls().RaiseFailure();
}

void Win32SystemDriver::Wait() {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, INFINITE, QS_ALLINPUT);
    Poll();
}

// One wake-up message per call: a message that cannot be posted leaves its call waiting for
// the next one. The main thread itself posts only from its pause, which hands on the ticks that
// fall due (FireDue) and ends at once; the pump that follows runs the call. A wake-up would
// cost it two round trips to the system and a message to take out of its queue.
void Win32SystemDriver::PostMainThreadCall(std::function<void()> call) {
    Calls().Post(std::move(call));
    if (GetCurrentThreadId() == mainThreadId) {
        return;
    }
    PostMessageW(callWindow, kMainThreadCallMessage, 0, 0);
    SetEvent(posted);
}

void Win32SystemDriver::Sleep(int ms) {
    pause_.Sleep(std::chrono::milliseconds(ms));
}

void Win32SystemDriver::SleepUntilChange(int ms) {
    pause_.SleepUntilChange(std::chrono::milliseconds(ms));
}

// A sleeping thread wakes up to about 0.1 ms after its time: the pause sleeps until shortly
// before its wake time and spins the rest, so that a turn lasts its 2 ms and a wait's tick is
// fired at its deadline.
void Win32SystemDriver::WaitUntil(LoopTime until, bool forTick) {
    const double wakeMs = MsOfLoopTime(until);
    wakes_.SetPauseWakesForTick(forTick);
    WaitForCallUntil(wakeMs - kSpinMs);
    while (NowMs() < wakeMs && !Calls().NewCallPending()) {
    }
    wakes_.SetPauseWakesForTick(false);
}

// Returns when a call is posted, or at `wakeMs` or a little after it.
void Win32SystemDriver::WaitForCallUntil(double wakeMs) {
    const double remaining = wakeMs - NowMs();
    if (remaining <= 0) {
        return;
    }
    if (preciseDelay_ != nullptr) {
        if (remaining > kLastStretchMs) {
            WaitForSingleObject(posted, static_cast<DWORD>(remaining - kLastStretchMs));
        } else {
            LARGE_INTEGER interval;
            interval.QuadPart = -static_cast<LONGLONG>(std::ceil(remaining * 10000.0));
            preciseDelay_(FALSE, &interval);
        }
        return;
    }
    if (pauseTimer_ != nullptr) {
        LARGE_INTEGER due;
        due.QuadPart = -static_cast<LONGLONG>(std::ceil(remaining * 10000.0));
        if (SetWaitableTimer(pauseTimer_, &due, 0, nullptr, nullptr, FALSE)) {
            const HANDLE wakers[] = {posted, pauseTimer_};
            WaitForMultipleObjects(2, wakers, FALSE, INFINITE);
            return;
        }
    }
    WaitForSingleObject(posted, static_cast<DWORD>(std::ceil(remaining)));
}

// Nothing that a turn reacts to can change before a key goes down or up, a tick falls due, a
// call is posted or a message arrives, so the pause waits for them; it wakes, too, when the
// keyboard poll must look again. When something waits already, or no key change would be
// reported, it pauses as Sleep does: a message that stays waiting must not make the loop spin.
// Wine reports keys as raw input only while some window is in front; with none (the window in
// front was closed, say) the loop keeps its 2 ms turns, and a sleeping loop wakes every
// kForegroundCheckMs to see whether that has happened. While the input watcher watches, a report
// that waits ends the pause at once: the pump that follows timestamps it.
LoopWaits::Idle Win32SystemDriver::IdleWait() {
    if (watcher_.ReportWaiting()) {
        return Idle::EndNow;
    }
    if (!keyChanges_.Active() || GetForegroundWindow() == nullptr || keyChanges_.ChangeWaiting() ||
        Calls().Pending() || MessageWaiting()) {
        return Idle::PauseAsSleep;
    }
    return Idle::WaitForAChange;
}

std::optional<LoopTime> Win32SystemDriver::LookAgainAt() {
    double wake = NowMs() + kForegroundCheckMs;
    if (const std::optional<double> recheck = keyChanges_.RecheckAt(); recheck && *recheck < wake) {
        wake = *recheck;
    }
    return LoopTimeOfMs(wake);
}

// A posted call arrives as a message, which wakes the wait like any other.
void Win32SystemDriver::WaitForChange(std::optional<LoopTime> until) {
    const double left = until ? MsOfLoopTime(*until) - NowMs() : 0.0;
    const auto timeout = static_cast<DWORD>(std::ceil(std::max(0.0, left)));
    MsgWaitForMultipleObjects(0, nullptr, FALSE, until ? timeout : INFINITE, QS_ALLINPUT);
}

void Win32SystemDriver::Notify(const std::u16string& title, const std::u16string& text,
                               bool serious) {
    HWND focus = GetFocus();
    MessageBoxW(GetActiveWindow(), Wide(text).c_str(), Wide(title).c_str(), NotifyBoxType(serious));
    if (focus != nullptr && IsWindow(focus)) {
        SetFocus(focus);
    }
    RaiseKeptFailure();
    Calls().RaiseFailure();
}

void Win32SystemDriver::ExitProcess(int status) {
    std::exit(status);
}

void Win32SystemDriver::TranslateRawInput(const RawWindow& window, UINT message, WPARAM wParam,
                                          LPARAM lParam) {
    POINT cursor{};
    GetCursorPos(&cursor);
    const RawMessage raw{message, static_cast<std::uint64_t>(wParam),
                         static_cast<std::int64_t>(lParam)};
    for (const RawAction& action : translator_.Translate(window, raw, cursor.x, cursor.y, true)) {
        Perform(action);
    }
}

void Win32SystemDriver::Perform(const RawAction& action) {
    HWND window = reinterpret_cast<HWND>(action.window);
    switch (action.kind) {
    case RawAction::Emit: {
        POINT position{action.x, action.y};
        if (action.screenPosition) {
            ScreenToClient(window, &position);
        }
        InputRawEvent(action.id, action.source, action.data, modifierState_, position.x,
                      position.y);
        break;
    }
    case RawAction::SetCapture:
        SetCapture(window);
        break;
    case RawAction::ReleaseCapture:
        ReleaseCapture();
        break;
    case RawAction::ShowCursor:
        ::ShowCursor(TRUE);
        break;
    case RawAction::HideCursor:
        ::ShowCursor(FALSE);
        break;
    case RawAction::TrackLeave: {
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, window, 0};
        TrackMouseEvent(&track);
        break;
    }
    }
}

} // namespace keyweave::win32
