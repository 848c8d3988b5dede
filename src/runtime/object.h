#pragma once

#include <memory>
#include <string>

namespace keyweave {

// The root of every reference-counted object of the runtime: event sources, event extras,
// scripts, timers and gadgets. Events and hooks carry objects of this type.
class TObject : public std::enable_shared_from_this<TObject> {
public:
    virtual ~TObject() = default;
};

using ObjectRef = std::shared_ptr<TObject>;

// A text carried as an object, for instance as the extra of an event.
class TText final : public TObject {
public:
    explicit TText(std::u16string value) : value(std::move(value)) {}
    const std::u16string value;
};

} // namespace keyweave
