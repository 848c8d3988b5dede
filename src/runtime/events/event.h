#pragma once

#include "runtime/object.h"

#include <cstdint>
#include <memory>
#include <string>

namespace keyweave {

// Event ids. Ids with bit 31 set are user ids (TEvent::AllocUserId).
enum EventId : std::int32_t {
    AppSuspend = 0x101,
    AppResume = 0x102,
    AppTerminate = 0x103,
    AppOpenFile = 0x104,
    AppIdle = 0x105,
    KeyDown = 0x201,
    KeyUp = 0x202,
    KeyChar = 0x203,
    KeyRepeat = 0x204,
    MouseDown = 0x401,
    MouseUp = 0x402,
    MouseMove = 0x403,
    MouseWheel = 0x404,
    MouseEnter = 0x405,
    MouseLeave = 0x406,
    TimerTick = 0x801,
    HotkeyHit = 0x1001,
    GadgetAction = 0x2001,
    GadgetPaint = 0x2002,
    GadgetSelect = 0x2003,
    GadgetMenu = 0x2004,
    GadgetOpen = 0x2005,
    GadgetClose = 0x2006,
    GadgetDone = 0x2007,
    GadgetLostFocus = 0x2008,
    GadgetShape = 0x2009,
    WindowMove = 0x4001,
    WindowSize = 0x4002,
    WindowClose = 0x4003,
    WindowActivate = 0x4004,
    WindowAccept = 0x4005,
    MenuAction = 0x8001,
    StreamEof = 0x10001,
    StreamAvail = 0x10002,
    ProcessExit = 0x20001,
};

class TEvent : public TObject {
public:
    std::int32_t id = 0;
    ObjectRef source;
    std::int32_t data = 0;
    std::int32_t mods = 0;
    std::int32_t x = 0;
    std::int32_t y = 0;
    ObjectRef extra;

    static std::shared_ptr<TEvent> Create(std::int32_t id, ObjectRef source, std::int32_t data,
                                          std::int32_t mods, std::int32_t x, std::int32_t y,
                                          ObjectRef extra);

    // Passes this event along the event hook chain (to the event queue).
    void Emit();

    // "TimerTick: data=5, mods=0, x=0, y=0, extra=" followed by the quoted extra text.
    std::u16string ToString() const;

    static std::int32_t AllocUserId();
    static void RegisterId(std::int32_t id, const std::u16string& name);
    static std::u16string DescriptionForId(std::int32_t id);
};

using EventRef = std::shared_ptr<TEvent>;

// Allocates a user id and, for a non-empty description, registers it.
std::int32_t AllocUserEventId(const std::u16string& description);

// The hook chain that emitted events run through.
int EventHookId();

// Start-up of the event system: fresh hooks, EventHookId allocated, the names registered.
void StartEvents();

} // namespace keyweave
