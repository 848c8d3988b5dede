#pragma once

#include "platform/input_watcher.h"
#include "platform/sim/sim_clock.h"

#include <vector>

namespace keyweave::sim {

// Reports the user's actions of the simulated platform, at their virtual times, while watching.
class SimWatcher final : public InputWatcher {
public:
    explicit SimWatcher(const SimClock& clock) : clock_(clock) {}

    bool BeginWatching() override;
    void TakeEvents(std::vector<InputEvent>& events) override;
    void EndWatching() override;

    bool IsWatching() const { return watching_; }
    // One of the user's actions, now.
    void Report(InputEvent::Kind kind, int code, int x = 0, int y = 0);

private:
    const SimClock& clock_;
    bool watching_ = false;
    std::vector<InputEvent> events_;
};

} // namespace keyweave::sim
