#pragma once

#include "platform/loop/loop_pause.h"
#include "platform/system_driver.h"
#include "platform/win32/key_change_watch.h"
#include "platform/win32/raw_input.h"
#include "platform/win32/win32_input_watcher.h"
#include "platform/win32/win32_timer_wakes.h"

#include <cstdint>
#include <windows.h>

namespace keyweave::win32 {

// The message that wakes the main thread to run the calls posted to it.
inline constexpr UINT kMainThreadCallMessage = 0x7001;

// The message pump of the main thread, main-thread calls, the loop's pause, message boxes and
// the raw-input translation of windows that ask for it.
class Win32SystemDriver final : public SystemDriver, private LoopWaits {
public:
    // The calling thread becomes the main thread: it gets the message-only window that runs
    // main-thread calls (once per process). `keyChanges` tells the idle pause when a key goes
    // down or up, and `watcher` when a watched report waits. The pause keeps the time of
    // `turn` and fires the ticks of `ticks` that fall due in it, which `wakes` then leaves to it.
    Win32SystemDriver(KeyChangeWatch& keyChanges, const Win32InputWatcher& watcher, TurnClock& turn,
                      TickSchedule& ticks, Win32TimerWakes& wakes);
    ~Win32SystemDriver() override;
    Win32SystemDriver(const Win32SystemDriver&) = delete;
    Win32SystemDriver& operator=(const Win32SystemDriver&) = delete;

    void Poll() override;
    void Wait() override;
    void PostMainThreadCall(std::function<void()> call) override;
    void Sleep(int ms) override;
    void SleepUntilChange(int ms) override;
    void Notify(const std::u16string& title, const std::u16string& text, bool serious) override;
    [[noreturn]] void ExitProcess(int status) override;

    // Modifier bits of the latest modifier key message: 1 shift, 2 control, 4 alt, 8 Windows.
    int ModifierState() const { return modifierState_; }

    // Emits the events of a raw keyboard or mouse message of `window` (whose gadget is
    // window.source) and carries out what the translation asks of the system.
    void TranslateRawInput(const RawWindow& window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    void Perform(const RawAction& action);
    void WaitUntil(LoopTime until, bool forTick) override;
    Idle IdleWait() override;
    void WaitForChange(std::optional<LoopTime> until) override;
    std::optional<LoopTime> LookAgainAt() override;
    void WaitForCallUntil(double wakeMs);

    KeyChangeWatch& keyChanges_;
    const Win32InputWatcher& watcher_;
    Win32TimerWakes& wakes_;
    LoopPause pause_;
    // What the pause sleeps its last stretch with under Wine, or else a high-resolution
    // waitable timer where the system has one.
    LONG(WINAPI* preciseDelay_)(BOOLEAN, PLARGE_INTEGER) = nullptr;
    HANDLE pauseTimer_ = nullptr;
    int modifierState_ = 0;
    RawInputTranslator translator_;
};

// The message box type of Notify: OK, always on top, a warning or an information icon.
UINT NotifyBoxType(bool serious);

} // namespace keyweave::win32
