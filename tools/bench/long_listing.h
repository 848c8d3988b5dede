#pragma once

#include "script/command.h"

#include <cstddef>
#include <cstdint>

namespace keyweave::bench {

// `count` commands of key strokes with sleeps between them, the shape a typed text takes, and
// some mouse moves: the listing whose script view the benchmarks build.
inline CommandList LongListing(std::size_t count) {
    CommandList commands;
    while (commands.size() < count) {
        const std::int32_t key = 65 + static_cast<std::int32_t>(commands.size() % 13);
        commands.push_back(TCommand::Create(u"KEYDOWN", key, -1));
        commands.push_back(TCommand::Create(u"SLEEP", 10, -1));
        commands.push_back(TCommand::Create(u"KEYUP", key, -1));
        commands.push_back(TCommand::Create(u"MOUSELOC", 400, 300));
    }
    commands.resize(count);
    return commands;
}

} // namespace keyweave::bench
