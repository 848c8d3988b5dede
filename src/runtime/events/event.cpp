#include "runtime/events/event.h"

#include "runtime/events/hooks.h"
#include "runtime/strings.h"

#include <array>
#include <utility>

namespace keyweave {

namespace {

struct EventName {
    std::int32_t id;
    const char16_t* name;
};

// Registered at start-up, in ascending id order.
constexpr std::array<EventName, 35> kEventNames{{
    {AppSuspend, u"AppSuspend"},
    {AppResume, u"AppResume"},
    {AppTerminate, u"AppTerminate"},
    {AppOpenFile, u"AppOpenFile"},
    {AppIdle, u"AppIdle"},
    {KeyDown, u"KeyDown"},
    {KeyUp, u"KeyUp"},
    {KeyChar, u"KeyChar"},
    {KeyRepeat, u"KeyRepeat"},
    {MouseDown, u"MouseDown"},
    {MouseUp, u"MouseUp"},
    {MouseMove, u"MouseMove"},
    {MouseWheel, u"MouseWheel"},
    {MouseEnter, u"MouseEnter"},
    {MouseLeave, u"MouseLeave"},
    {TimerTick, u"TimerTick"},
    {HotkeyHit, u"HotkeyHit"},
    {GadgetAction, u"GadgetAction"},
    {GadgetPaint, u"GadgetPaint"},
    {GadgetSelect, u"GadgetSelect"},
    {GadgetMenu, u"GadgetMenu"},
    {GadgetOpen, u"GadgetOpen"},
    {GadgetClose, u"GadgetClose"},
    {GadgetDone, u"GadgetDone"},
    {GadgetLostFocus, u"GadgetLostFocus"},
    {GadgetShape, u"GadgetShape"},
    {WindowMove, u"WindowMove"},
    {WindowSize, u"WindowSize"},
    {WindowClose, u"WindowClose"},
    {WindowActivate, u"WindowActivate"},
    {WindowAccept, u"WindowAccept"},
    {MenuAction, u"MenuAction"},
    {StreamEof, u"StreamEof"},
    {StreamAvail, u"StreamAvail"},
    {ProcessExit, u"ProcessExit"},
}};

constexpr std::uint32_t kUserIdBase = 0x80000000u;

// "}" followed by "id{name}" for every registration, searched by "}id{".
std::u16string registry;
std::uint32_t lastUserId = kUserIdBase;
int eventHookId = -1;

std::u16string IdKey(std::int32_t id) {
    return u"}" + DecimalText(id) + u"{";
}

std::u16string FallbackName(std::int32_t id) {
    const auto bits = static_cast<std::uint32_t>(id);
    if ((bits & kUserIdBase) != 0) {
        return u"UserEvent" + DecimalText(bits - kUserIdBase);
    }
    return u"Unknown Event, id=" + DecimalText(id);
}

} // namespace

std::shared_ptr<TEvent> TEvent::Create(std::int32_t id, ObjectRef source, std::int32_t data,
                                       std::int32_t mods, std::int32_t x, std::int32_t y,
                                       ObjectRef extra) {
    auto event = std::make_shared<TEvent>();
    event->id = id;
    event->source = std::move(source);
    event->data = data;
    event->mods = mods;
    event->x = x;
    event->y = y;
    event->extra = std::move(extra);
    return event;
}

void TEvent::Emit() {
    CallHooks(eventHookId, shared_from_this());
}

std::u16string TEvent::ToString() const {
    std::u16string name = DescriptionForId(id);
    if (name.empty()) {
        name = FallbackName(id);
    }
    const auto* text = dynamic_cast<const TText*>(extra.get());
    return name + u": data=" + DecimalText(data) + u", mods=" + DecimalText(mods) + u", x=" +
           DecimalText(x) + u", y=" + DecimalText(y) + u", extra=\"" +
           (text != nullptr ? text->value : u"") + u"\"";
}

std::int32_t TEvent::AllocUserId() {
    return static_cast<std::int32_t>(++lastUserId);
}

void TEvent::RegisterId(std::int32_t id, const std::u16string& name) {
    registry += DecimalText(id) + u"{" + name + u"}";
}

std::u16string TEvent::DescriptionForId(std::int32_t id) {
    const std::u16string key = IdKey(id);
    const auto found = registry.find(key);
    if (found == std::u16string::npos) {
        return {};
    }
    const auto start = found + key.size();
    const auto end = registry.find(u'}', start);
    if (end == std::u16string::npos) {
        return {};
    }
    return registry.substr(start, end - start);
}

std::int32_t AllocUserEventId(const std::u16string& description) {
    const std::int32_t id = TEvent::AllocUserId();
    if (!description.empty()) {
        TEvent::RegisterId(id, description);
    }
    return id;
}

int EventHookId() {
    return eventHookId;
}

void StartEvents() {
    ResetHooks();
    eventHookId = NewHookId();
    registry = u"}";
    lastUserId = kUserIdBase;
    for (const EventName& entry : kEventNames) {
        TEvent::RegisterId(entry.id, entry.name);
    }
}

} // namespace keyweave
