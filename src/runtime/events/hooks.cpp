#include "runtime/events/hooks.h"

#include <array>
#include <memory>

namespace keyweave {

namespace {

// One node of a chain. Nodes are shared so that a chain being run survives a hook that
// unlinks itself or its neighbour: the walk holds the node it is in and follows its `succ`.
struct THook {
    std::shared_ptr<THook> succ;
    int priority = 0;
    HookFunc func = nullptr;
    ObjectRef context;
};

using HookRef = std::shared_ptr<THook>;

std::array<HookRef, kHookIdCount> hookTable;
int lastHookId = -1;

HookRef& ChainHead(int id) {
    if (id < 0 || id >= kHookIdCount) {
        throw RuntimeError("Hook id out of range");
    }
    return hookTable[static_cast<std::size_t>(id)];
}

} // namespace

int NewHookId() {
    if (lastHookId + 1 >= kHookIdCount) {
        throw RuntimeError("Too many hook ids");
    }
    return ++lastHookId;
}

void InsertHook(int id, HookFunc func, ObjectRef context, int priority) {
    if (func == nullptr) {
        throw RuntimeError("Hook function not set");
    }
    HookRef& head = ChainHead(id);
    auto hook = std::make_shared<THook>();
    hook->priority = priority;
    hook->func = func;
    hook->context = std::move(context);

    THook* passed = nullptr;
    for (THook* node = head.get(); node != nullptr && node->priority >= priority;
         node = node->succ.get()) {
        passed = node;
    }
    HookRef& link = passed != nullptr ? passed->succ : head;
    hook->succ = std::move(link);
    link = std::move(hook);
}

ObjectRef CallHooks(int id, ObjectRef data) {
    for (HookRef node = ChainHead(id); node != nullptr; node = node->succ) {
        data = node->func(id, data, node->context);
    }
    return data;
}

void DeleteHook(int id, HookFunc func, const ObjectRef& context) {
    HookRef* link = &ChainHead(id);
    while (*link != nullptr) {
        THook& node = **link;
        if (node.func == func && node.context == context) {
            HookRef next = node.succ;
            *link = std::move(next);
            return;
        }
        link = &node.succ;
    }
}

void ResetHooks() {
    hookTable.fill(nullptr);
    lastHookId = -1;
}

} // namespace keyweave
