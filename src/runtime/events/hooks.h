#pragma once

#include "runtime/object.h"

#include <stdexcept>

namespace keyweave {

// Raised for misuse of the runtime, such as allocating a 257th hook id.
class RuntimeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A hook callback: gets the chain's id, the data passed along the chain and its own context,
// and returns the data for the next hook.
using HookFunc = ObjectRef (*)(int id, const ObjectRef& data, const ObjectRef& context);

inline constexpr int kHookIdCount = 256;

// The next free hook id, 0..255; the 257th call raises RuntimeError("Too many hook ids").
int NewHookId();

// Links a hook into chain `id`: chains run in descending priority, and among equal
// priorities in insertion order.
void InsertHook(int id, HookFunc func, ObjectRef context, int priority);

// Runs chain `id` from head to tail, each hook's result becoming the next hook's data, and
// returns the final data (the data itself for an empty chain).
ObjectRef CallHooks(int id, ObjectRef data);

// Unlinks the first hook of chain `id` with this function and context, if there is one.
void DeleteHook(int id, HookFunc func, const ObjectRef& context);

// Forgets every chain and restarts hook ids at 0 (start-up of the event system).
void ResetHooks();

} // namespace keyweave
