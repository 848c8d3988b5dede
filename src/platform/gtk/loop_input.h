#pragma once

namespace keyweave::gtk {

// What the loop's pause needs of a layer's own connection for input: its descriptor, handling
// what arrived on it, sending what injection left buffered, and whether a key change would
// arrive as an event that ends a pause.
class LoopInput {
public:
    virtual ~LoopInput() = default;

    virtual int Fd() const = 0;

    // Handles every event that has arrived, without waiting.
    virtual void Drain() = 0;

    // Sends every request that is still buffered, without waiting for the other side.
    virtual void Flush() = 0;

    // Whether every key press and release arrives as an event; else only a poll sees them.
    virtual bool ReportsKeyChanges() const = 0;

    // Whether an event has arrived that has not been handled yet.
    virtual bool EventsWaiting() const = 0;

    // Whether key changes wait for the next poll, which sees them: the loop must not sleep
    // until a key changes.
    virtual bool ChangesWaiting() const = 0;
};

} // namespace keyweave::gtk
