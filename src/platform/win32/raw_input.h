#pragma once

#include "runtime/object.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace keyweave::win32 {

// A window message as the window procedure received it.
struct RawMessage {
    std::uint32_t message = 0;
    std::uint64_t wParam = 0;
    std::int64_t lParam = 0;
};

// The window that received the message, and the gadget its events are reported for.
struct RawWindow {
    std::uintptr_t handle = 0;
    ObjectRef source;
    int clientWidth = 0;
    int clientHeight = 0;
};

// One step of the translation, carried out in order by the caller.
struct RawAction {
    enum Kind {
        Emit,           // emit event `id` for `source` with `data`, `x`, `y`
        SetCapture,     // capture the mouse for `window`
        ReleaseCapture, // release the mouse capture
        ShowCursor,     // make the cursor visible
        HideCursor,     // hide the cursor
        TrackLeave,     // ask the system for a leave notification of `window`
    };
    Kind kind = Emit;
    std::uintptr_t window = 0;
    ObjectRef source;
    int id = 0;
    int data = 0;
    int x = 0;
    int y = 0;
    // x and y are screen coordinates, to be converted to `window`'s client coordinates.
    bool screenPosition = false;
};

// The key code of a key message: the virtual key, except that shift, control and alt are told
// apart left from right by their scan code (lParam bits 16..22) and extended flag (bit 24), as
// SidedKeyCode tells them. A modifier injected without a scan code stays side-neutral.
int RawKeyCode(std::uint64_t wParam, std::int64_t lParam);

// Translates raw keyboard and mouse messages of windows that ask for them into events, and
// tracks which window the mouse is in (one window at a time) so that windows get enter and
// leave events. Events carry no modifier state: the caller adds it.
class RawInputTranslator {
public:
    // `cursorX`, `cursorY`: the cursor's screen position when the message was taken;
    // `mouseVisible`: whether the cursor should show over a tracked window.
    std::vector<RawAction> Translate(const RawWindow& window, const RawMessage& message,
                                     int cursorX, int cursorY, bool mouseVisible);

    std::uintptr_t TrackedWindow() const { return tracked_; }

private:
    void TrackMouse(std::vector<RawAction>& actions, const RawWindow& window, bool inside, int x,
                    int y, int cursorX, int cursorY, bool mouseVisible);

    std::uintptr_t tracked_ = 0;
    std::weak_ptr<TObject> trackedSource_;
    bool cursorHidden_ = false;
};

} // namespace keyweave::win32
