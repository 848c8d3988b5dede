#include "platform/win32/raw_input.h"

#include "platform/win32/extended_keys.h"
#include "runtime/events/event_id.h"

#include <windows.h>

namespace keyweave::win32 {

namespace {

constexpr int kWheelStep = 120;

// Client and screen positions travel as two signed 16-bit halves of lParam.
int LowSigned(std::int64_t value) {
    return static_cast<std::int16_t>(value & 0xFFFF);
}

int HighSigned(std::int64_t value) {
    return static_cast<std::int16_t>((value >> 16) & 0xFFFF);
}

RawAction Event(const RawWindow& window, int id, int data, int x, int y) {
    RawAction action;
    action.kind = RawAction::Emit;
    action.window = window.handle;
    action.source = window.source;
    action.id = id;
    action.data = data;
    action.x = x;
    action.y = y;
    return action;
}

RawAction Effect(RawAction::Kind kind, std::uintptr_t window) {
    RawAction action;
    action.kind = kind;
    action.window = window;
    return action;
}

int ButtonOf(std::uint32_t message) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        return 1;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
        return 2;
    default:
        return 3;
    }
}

// Later tests win: right over middle over left.
int HeldButtons(std::uint64_t wParam) {
    int held = 0;
    if ((wParam & MK_LBUTTON) != 0) {
        held = 1;
    }
    if ((wParam & MK_MBUTTON) != 0) {
        held = 4;
    }
    if ((wParam & MK_RBUTTON) != 0) {
        held = 2;
    }
    return held;
}

bool IsTranslatedKey(std::uint64_t wParam) {
    return wParam >= 1 && wParam <= 255;
}

} // namespace

int RawKeyCode(std::uint64_t wParam, std::int64_t lParam) {
    const int key = static_cast<int>(wParam);
    const int scan = static_cast<int>((lParam >> 16) & 0x7F);
    if (scan == 0) {
        return key;
    }
    return SidedKeyCode(key, scan, ((lParam >> 24) & 1) != 0);
}

std::vector<RawAction> RawInputTranslator::Translate(const RawWindow& window,
                                                     const RawMessage& message, int cursorX,
                                                     int cursorY, bool mouseVisible) {
    std::vector<RawAction> actions;
    const int x = LowSigned(message.lParam);
    const int y = HighSigned(message.lParam);
    switch (message.message) {
    case WM_CLOSE:
        actions.push_back(Event(window, AppTerminate, 0, 0, 0));
        break;
    case WM_ACTIVATEAPP:
        actions.push_back(Event(window, message.wParam != 0 ? AppResume : AppSuspend, 0, 0, 0));
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (IsTranslatedKey(message.wParam)) {
            const bool repeat = ((message.lParam >> 30) & 1) != 0;
            actions.push_back(Event(window, repeat ? KeyRepeat : KeyDown,
                                    RawKeyCode(message.wParam, message.lParam), 0, 0));
        }
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        if (IsTranslatedKey(message.wParam)) {
            actions.push_back(
                Event(window, KeyUp, RawKeyCode(message.wParam, message.lParam), 0, 0));
        }
        break;
    case WM_CHAR:
    case WM_SYSCHAR:
        actions.push_back(Event(window, KeyChar, static_cast<int>(message.wParam), 0, 0));
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        actions.push_back(Effect(RawAction::SetCapture, window.handle));
        actions.push_back(Event(window, MouseDown, ButtonOf(message.message), x, y));
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        actions.push_back(Effect(RawAction::ReleaseCapture, window.handle));
        actions.push_back(Event(window, MouseUp, ButtonOf(message.message), x, y));
        break;
    case WM_MOUSEMOVE: {
        const bool inside = x >= 0 && y >= 0 && x < window.clientWidth && y < window.clientHeight;
        TrackMouse(actions, window, inside, x, y, cursorX, cursorY, mouseVisible);
        actions.push_back(Event(window, MouseMove, HeldButtons(message.wParam), x, y));
        break;
    }
    case WM_MOUSEWHEEL: {
        const int delta = HighSigned(static_cast<std::int64_t>(message.wParam));
        RawAction wheel = Event(window, MouseWheel, delta / kWheelStep, x, y);
        wheel.screenPosition = true;
        actions.push_back(wheel);
        break;
    }
    case WM_MOUSELEAVE:
        if (window.handle == tracked_) {
            TrackMouse(actions, window, false, 0, 0, cursorX, cursorY, mouseVisible);
        }
        break;
    default:
        break;
    }
    return actions;
}

void RawInputTranslator::TrackMouse(std::vector<RawAction>& actions, const RawWindow& window,
                                    bool inside, int x, int y, int cursorX, int cursorY,
                                    bool mouseVisible) {
    const std::uintptr_t now = inside ? window.handle : 0;
    if (now == tracked_) {
        return;
    }
    if (tracked_ != 0) {
        if (ObjectRef left = trackedSource_.lock()) {
            RawWindow old{tracked_, left, 0, 0};
            RawAction leave = Event(old, MouseLeave, 0, cursorX, cursorY);
            leave.screenPosition = true;
            actions.push_back(leave);
        }
    }
    tracked_ = now;
    trackedSource_ = inside ? window.source : ObjectRef{};
    const bool hide = tracked_ != 0 && !mouseVisible;
    if (hide != cursorHidden_) {
        cursorHidden_ = hide;
        actions.push_back(Effect(hide ? RawAction::HideCursor : RawAction::ShowCursor, now));
    }
    if (inside) {
        actions.push_back(Event(window, MouseEnter, 0, x, y));
        actions.push_back(Effect(RawAction::TrackLeave, window.handle));
    }
}

} // namespace keyweave::win32
