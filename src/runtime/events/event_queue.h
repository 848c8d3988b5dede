#pragma once

#include "runtime/events/event.h"

namespace keyweave {

inline constexpr int kEventQueueSlots = 256;

// Start-up of the queue: empty slots, its hook on the event chain, the empty current event.
void StartEventQueue();

// Queues an event. With `coalesce`, a queued event of the same id and source takes over the
// new one's data, mods, x, y and extra instead. A full queue drops the event.
void EventQueuePost(const EventRef& event, bool coalesce);

// The oldest queued event without taking it, or null; pumps messages once when empty.
EventRef EventQueuePeek();

// Takes the oldest event and returns its id, or 0 when none is there after one pump.
std::int32_t EventQueuePoll();

// Takes the oldest event, waiting (and pumping) while the queue is empty; returns its id.
std::int32_t EventQueueWait();

// Number of events waiting.
int EventQueueCount();

// The event last taken (an empty event, id 0, before any).
const TEvent& CurrentEvent();
std::int32_t CurrentEventId();
std::int32_t CurrentEventData();
std::int32_t CurrentEventMods();
std::int32_t CurrentEventX();
std::int32_t CurrentEventY();
ObjectRef CurrentEventSource();
ObjectRef CurrentEventExtra();
std::u16string CurrentEventText();

} // namespace keyweave
