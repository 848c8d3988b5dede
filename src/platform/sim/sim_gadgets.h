#pragma once

#include "platform/gadget_driver.h"
#include "platform/sim/sim_platform.h"

#include <memory>
#include <vector>

namespace keyweave::sim {

// Creates headless gadgets of every class and remembers them in creation order.
class SimGadgetDriver final : public GadgetDriver {
public:
    explicit SimGadgetDriver(ScreenSize desktop) : desktop_(desktop) {}

    std::shared_ptr<TGadget> CreateGadget(int gadgetClass, const std::u16string& text, int x, int y,
                                          int width, int height,
                                          const std::shared_ptr<TGadget>& group,
                                          int style) override;
    ScreenSize DesktopSize() override { return desktop_; }

    const std::vector<std::shared_ptr<SimGadget>>& Created() const { return created_; }

private:
    ScreenSize desktop_;
    std::vector<std::shared_ptr<SimGadget>> created_;
};

} // namespace keyweave::sim
