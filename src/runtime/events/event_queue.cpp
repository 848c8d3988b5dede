#include "runtime/events/event_queue.h"

#include "runtime/events/hooks.h"
#include "runtime/system/system.h"

#include <array>

namespace keyweave {

namespace {

// A ring of slots addressed by the low 8 bits of two free-running counters: empty when they
// are equal, full when put is a whole ring ahead of get.
std::array<EventRef, kEventQueueSlots> slots;
std::uint32_t putCount = 0;
std::uint32_t getCount = 0;

EventRef emptyEvent = std::make_shared<TEvent>();
EventRef currentEvent = emptyEvent;

constexpr int kQueueHookPriority = -10000;

EventRef& Slot(std::uint32_t counter) {
    return slots[counter % kEventQueueSlots];
}

bool IsEmpty() {
    return putCount == getCount;
}

bool IsFull() {
    return putCount - getCount == kEventQueueSlots;
}

// Repetitive events: at most one per source waits in the queue, carrying the latest values.
bool Coalesces(std::int32_t id) {
    return id == WindowMove || id == WindowSize || id == TimerTick || id == GadgetAction;
}

bool MergeIntoQueued(const TEvent& event) {
    for (std::uint32_t counter = getCount; counter != putCount; ++counter) {
        TEvent& queued = *Slot(counter);
        if (queued.id == event.id && queued.source == event.source) {
            queued.data = event.data;
            queued.mods = event.mods;
            queued.x = event.x;
            queued.y = event.y;
            queued.extra = event.extra;
            return true;
        }
    }
    return false;
}

ObjectRef QueueHook(int, const ObjectRef& data, const ObjectRef&) {
    auto event = std::dynamic_pointer_cast<TEvent>(data);
    if (event == nullptr) {
        return nullptr;
    }
    EventQueuePost(event, Coalesces(event->id));
    return event;
}

std::int32_t TakeEvent() {
    EventRef& slot = Slot(getCount);
    currentEvent = std::move(slot);
    slot = nullptr;
    ++getCount;
    return currentEvent->id;
}

} // namespace

void StartEventQueue() {
    slots.fill(nullptr);
    putCount = 0;
    getCount = 0;
    emptyEvent = std::make_shared<TEvent>();
    currentEvent = emptyEvent;
    InsertHook(EventHookId(), QueueHook, nullptr, kQueueHookPriority);
}

void EventQueuePost(const EventRef& event, bool coalesce) {
    if (event == nullptr) {
        return;
    }
    if (coalesce && MergeIntoQueued(*event)) {
        return;
    }
    if (IsFull()) {
        return;
    }
    Slot(putCount) = event;
    ++putCount;
}

EventRef EventQueuePeek() {
    if (IsEmpty()) {
        PumpMessages();
    }
    return IsEmpty() ? nullptr : Slot(getCount);
}

std::int32_t EventQueuePoll() {
    if (IsEmpty()) {
        PumpMessages();
    }
    if (IsEmpty()) {
        currentEvent = emptyEvent;
        return 0;
    }
    return TakeEvent();
}

std::int32_t EventQueueWait() {
    while (IsEmpty()) {
        // Inside a pump the nested pump returns at once, so waiting would never end.
        if (IsPumping()) {
            throw RuntimeError("EventQueueWait called inside the message pump");
        }
        WaitAndPumpMessages();
    }
    return TakeEvent();
}

int EventQueueCount() {
    return static_cast<int>(putCount - getCount);
}

const TEvent& CurrentEvent() {
    return *currentEvent;
}

std::int32_t CurrentEventId() {
    return currentEvent->id;
}

std::int32_t CurrentEventData() {
    return currentEvent->data;
}

std::int32_t CurrentEventMods() {
    return currentEvent->mods;
}

std::int32_t CurrentEventX() {
    return currentEvent->x;
}

std::int32_t CurrentEventY() {
    return currentEvent->y;
}

ObjectRef CurrentEventSource() {
    return currentEvent->source;
}

ObjectRef CurrentEventExtra() {
    return currentEvent->extra;
}

std::u16string CurrentEventText() {
    const auto* text = dynamic_cast<const TText*>(currentEvent->extra.get());
    return text != nullptr ? text->value : std::u16string{};
}

} // namespace keyweave
