#include "platform/sim/sim_platform.h"

#include "platform/loop/loop_timers.h"
#include "platform/sim/sim_clock.h"
#include "platform/sim/sim_gadgets.h"
#include "platform/sim/sim_input.h"
#include "platform/sim/sim_system.h"
#include "platform/sim/sim_watcher.h"

namespace keyweave::sim {

struct SimPlatform::Impl {
    explicit Impl(ScreenSize desktop)
        : clock(ticks), turn([this] { return clock.LoopNow(); }), timers(ticks, turn),
          system(clock, turn, ticks), keyboard(clock, turn, log), mouse(clock, turn, log, desktop),
          gadgets(desktop), watcher(clock) {}

    TickSchedule ticks;
    SimClock clock;
    TurnClock turn;
    LoopTimers timers;
    InjectionLog log;
    SimSystemDriver system;
    SimKeyboard keyboard;
    SimMouse mouse;
    SimGadgetDriver gadgets;
    SimWatcher watcher;
};

SimPlatform::SimPlatform(ScreenSize desktop) : SimPlatform(std::make_unique<Impl>(desktop)) {}

SimPlatform::SimPlatform(std::unique_ptr<Impl> impl)
    : Platform(
          {impl->keyboard, impl->mouse, impl->timers, impl->system, impl->gadgets, impl->watcher}),
      impl_(std::move(impl)) {}

SimPlatform::~SimPlatform() = default;

std::int64_t SimPlatform::Now() const {
    return impl_->clock.Now();
}

void SimPlatform::Advance(std::int64_t ms) {
    impl_->clock.Advance(ms);
}

void SimPlatform::HoldKey(int code) {
    impl_->keyboard.SetHeld(code, true);
    impl_->watcher.Report(InputEvent::KeyDown, code);
}

void SimPlatform::ReleaseKey(int code) {
    impl_->keyboard.SetHeld(code, false);
    impl_->watcher.Report(InputEvent::KeyUp, code);
}

bool SimPlatform::IsKeyDown(int code) const {
    return impl_->keyboard.IsDown(code);
}

KeySet SimPlatform::BoundCombination() const {
    return impl_->keyboard.Bound();
}

void SimPlatform::MoveCursorByUser(int x, int y) {
    impl_->mouse.MoveByUser(x, y);
    const ScreenPoint cursor = impl_->mouse.CursorPos();
    impl_->watcher.Report(InputEvent::CursorMove, 0, cursor.x, cursor.y);
}

void SimPlatform::PressButtonByUser(int button) {
    impl_->mouse.SetButtonByUser(button, true);
    const ScreenPoint cursor = impl_->mouse.CursorPos();
    impl_->watcher.Report(InputEvent::ButtonDown, button, cursor.x, cursor.y);
}

void SimPlatform::ReleaseButtonByUser(int button) {
    impl_->mouse.SetButtonByUser(button, false);
    const ScreenPoint cursor = impl_->mouse.CursorPos();
    impl_->watcher.Report(InputEvent::ButtonUp, button, cursor.x, cursor.y);
}

ScreenPoint SimPlatform::Cursor() const {
    return impl_->mouse.CursorPos();
}

bool SimPlatform::IsButtonDown(int button) const {
    return impl_->mouse.IsButtonDown(button);
}

const std::vector<InjectedAction>& SimPlatform::Log() const {
    return impl_->log;
}

void SimPlatform::ClearLog() {
    impl_->log.clear();
}

int SimPlatform::RunningTimerCount() const {
    return impl_->ticks.RunningCount();
}

int SimPlatform::PendingCalls() const {
    return impl_->system.PendingCalls();
}

bool SimPlatform::IsWatching() const {
    return impl_->watcher.IsWatching();
}

int SimPlatform::PausesUntilChange() const {
    return impl_->system.PausesUntilChange();
}

const std::vector<MessageBoxRecord>& SimPlatform::MessageBoxes() const {
    return impl_->system.MessageBoxes();
}

void SimPlatform::SetMessageBoxHandler(std::function<void(const MessageBoxRecord&)> handler) {
    impl_->system.SetMessageBoxHandler(std::move(handler));
}

void SimPlatform::SetMessageBoxDuration(std::int64_t modalMs) {
    impl_->system.SetMessageBoxDuration(modalMs);
}

const std::vector<std::shared_ptr<SimGadget>>& SimPlatform::GadgetsCreated() const {
    return impl_->gadgets.Created();
}

SimGadget& AsSim(const GadgetRef& gadget) {
    auto* sim = dynamic_cast<SimGadget*>(gadget.get());
    if (sim == nullptr) {
        throw std::logic_error("not a gadget of the simulated platform");
    }
    return *sim;
}

} // namespace keyweave::sim
