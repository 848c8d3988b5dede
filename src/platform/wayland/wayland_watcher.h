#pragma once

#include "platform/input_watcher.h"

namespace keyweave::wayland {

// A Wayland client cannot watch other programs' input: the compositor hands keys and buttons
// only to the window that has the focus. Every attempt fails, and says why on standard error.
class WaylandWatcher final : public InputWatcher {
public:
    bool BeginWatching() override;
    void TakeEvents(std::vector<InputEvent>&) override {}
    void EndWatching() override {}
};

} // namespace keyweave::wayland
