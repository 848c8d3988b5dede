#include "contract/seam_contract.h"
#include "platform/sim/sim_platform.h"

#include <memory>
#include <vector>

namespace keyweave::contract {
namespace {

// The simulated platform under the contract: one thread and virtual time, so what happens
// elsewhere happens at its time on the clock, from a timer's tick.
class SimContract final : public ContractPlatform {
public:
    // A message box stays open long enough for five 20 ms ticks.
    SimContract() { sim_.SetMessageBoxDuration(200); }

    Platform& Seams() override { return sim_; }
    double NowMs() override { return static_cast<double>(sim_.Now()); }
    void Pass(int ms) override { sim_.Advance(ms); }

    void Elsewhere(int afterMs, std::function<void()> action) override {
        auto later = std::make_unique<Later>(Later{std::move(action)});
        if (afterMs <= 0) {
            Run(0, reinterpret_cast<std::uintptr_t>(later.get()));
        } else {
            later->timer =
                sim_.Timers().StartPeriodic(static_cast<std::uint32_t>(afterMs), Run,
                                            reinterpret_cast<std::uintptr_t>(later.get()));
        }
        pending_.push_back(std::move(later));
    }

    void JoinElsewhere() override {
        for (const auto& later : pending_) {
            while (!later->done) {
                sim_.Advance(1);
            }
            if (later->timer != 0) {
                sim_.Timers().Kill(later->timer);
            }
        }
        pending_.clear();
    }

    // The simulated box ends when its time is over.
    void DismissMessageBox() override {}
    double LateMs() const override { return 0; }

private:
    struct Later {
        std::function<void()> action;
        std::uint32_t timer = 0;
        bool done = false;
    };

    static void Run(std::uint32_t, std::uintptr_t user) {
        auto* later = reinterpret_cast<Later*>(user);
        if (!later->done) {
            later->done = true;
            later->action();
        }
    }

    sim::SimPlatform sim_;
    std::vector<std::unique_ptr<Later>> pending_;
};

} // namespace

ContractPlatform& TheContractPlatform() {
    static SimContract platform;
    return platform;
}

} // namespace keyweave::contract
