#pragma once

#include "runtime/events/event_id.h"
#include "runtime/object.h"

#include <cstdint>
#include <memory>
#include <string>

namespace keyweave {

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
