#include "platform/sim/sim_watcher.h"

namespace keyweave::sim {

bool SimWatcher::BeginWatching() {
    watching_ = true;
    events_.clear();
    return true;
}

void SimWatcher::TakeEvents(std::vector<InputEvent>& events) {
    events.insert(events.end(), events_.begin(), events_.end());
    events_.clear();
}

void SimWatcher::EndWatching() {
    watching_ = false;
    events_.clear();
}

void SimWatcher::Report(InputEvent::Kind kind, int code, int x, int y) {
    if (watching_) {
        events_.push_back({kind, code, x, y, static_cast<double>(clock_.Now())});
    }
}

} // namespace keyweave::sim
