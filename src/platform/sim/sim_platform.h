#pragma once

#include "platform/platform.h"
#include "runtime/gui/gadget.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace keyweave::sim {

// Thrown by ExitProcess, so that a test or a dry run regains control when the program ends.
class ProcessExit : public std::exception {
public:
    explicit ProcessExit(int status) : status(status) {}
    const char* what() const noexcept override { return "the program ended"; }
    const int status;
};

// One synthetic action of the program, at its virtual time.
struct InjectedAction {
    enum Kind { KeyDown, KeyUp, MouseDown, MouseUp, Move };
    std::int64_t timeMs = 0;
    Kind kind = KeyDown;
    int code = 0; // key code (low 8 bits sent), or button 1 / 2
    int x = 0;    // Move: the requested pixel
    int y = 0;
    bool moved = false; // Move: whether the cursor's position changed
    friend bool operator==(const InjectedAction&, const InjectedAction&) = default;
};

struct MessageBoxRecord {
    std::int64_t timeMs = 0;
    std::u16string title;
    std::u16string text;
    bool serious = false;
};

// A gadget of the headless driver: it keeps everything the program sets, and lets a test act
// as the user would.
class SimGadget : public TGadget {
public:
    using TGadget::TGadget;
    SimGadget(const SimGadget&) = delete;
    SimGadget& operator=(const SimGadget&) = delete;

    std::u16string text;   // title, caption, or a combo box's cue text
    std::u16string status; // a window's status bar
    Rgb background{255, 255, 255};
    bool backgroundSet = false;

    // A combo box's items and its shown item (-1 for none), for reading.
    const std::vector<TGadgetItem>& items = items_.Items();
    const int& current = items_.Current();

    std::u16string area;                     // a text area's text; line breaks are "\n"
    std::vector<std::optional<Rgb>> colours; // one per character of `area`; none: default
    int lockCount = 0;
    int redraws = 0; // times the text area would have been redrawn (changes while unlocked)

    // The user's actions.
    void Click();         // a push button
    void Pick(int index); // a combo box item; raises nothing for the current item
    void UseCloseBox();   // a window's close box

    // The colour runs of the text area: maximal ranges of one colour, default runs left out.
    struct Run {
        int start;
        int length;
        Rgb colour;
        friend bool operator==(const Run&, const Run&) = default;
    };
    std::vector<Run> ColourRuns() const;

    void SetText(const std::u16string& value) override;
    std::u16string GetText() override;
    void SetStatus(const std::u16string& value) override;
    void SetColor(Rgb colour) override;
    void Clear() override;
    void InsertItem(int index, const std::u16string& itemText, const std::u16string& tip, int icon,
                    ObjectRef extra, int flags) override;
    void SelectItem(int index, int op) override;
    void ReplaceText(int pos, int length, const std::u16string& value, int units) override;
    std::u16string AreaText(int pos, int length, int units) override;
    int AreaLen(int units) override;
    void LockText() override;
    void UnlockText() override;
    void SetStyle(Rgb colour, int flags, int pos, int length, int units) override;

private:
    bool IsList() const;
    bool IsTextArea() const;
    void TextChanged();
};

// The simulated platform. Time is virtual: it moves only when the program sleeps, waits, or
// the test advances it, so minutes of the program run in milliseconds. Single-threaded: timer
// ticks are posted as main-thread calls from inside the clock's advance.
class SimPlatform : public Platform {
public:
    explicit SimPlatform(ScreenSize desktop = {1920, 1080});
    ~SimPlatform() override;

    // Time.
    std::int64_t Now() const;
    // Moves the clock forward, posting the tick of every timer period that ends on the way.
    void Advance(std::int64_t ms);

    // The user's keyboard and mouse, which the watcher reports while it watches. Injected
    // transitions change the same key state, as on Windows: a poll sees injected keys held.
    void HoldKey(int code);
    void ReleaseKey(int code);
    bool IsKeyDown(int code) const;
    // The Start/Stop combination the program told the keyboard of last.
    KeySet BoundCombination() const;
    void MoveCursorByUser(int x, int y);
    // Button 1 (left) or 2 (right) where the cursor is; others are only reported.
    void PressButtonByUser(int button);
    void ReleaseButtonByUser(int button);
    ScreenPoint Cursor() const;
    bool IsButtonDown(int button) const;

    // Every synthetic action, in order.
    const std::vector<InjectedAction>& Log() const;
    void ClearLog();

    // Timers the platform is running.
    int RunningTimerCount() const;
    // Main-thread calls posted and not yet run.
    int PendingCalls() const;
    // Whether the recorder watches the user's input.
    bool IsWatching() const;
    // Pauses taken with SleepUntilChange so far (each one a plain Sleep here).
    int PausesUntilChange() const;

    // Message boxes shown so far. The handler runs while a box is open (the main loop stands
    // still); by default the box is dismissed at once. `modalMs` of virtual time pass while it
    // is open, with main-thread calls running as in a real modal loop.
    const std::vector<MessageBoxRecord>& MessageBoxes() const;
    void SetMessageBoxHandler(std::function<void(const MessageBoxRecord&)> handler);
    void SetMessageBoxDuration(std::int64_t modalMs);

    // Every gadget created, in creation order.
    const std::vector<std::shared_ptr<SimGadget>>& GadgetsCreated() const;

private:
    struct Impl;
    explicit SimPlatform(std::unique_ptr<Impl> impl);

    std::unique_ptr<Impl> impl_;
};

// Downcast for tests: the sim gadget behind a program gadget.
SimGadget& AsSim(const GadgetRef& gadget);

} // namespace keyweave::sim
