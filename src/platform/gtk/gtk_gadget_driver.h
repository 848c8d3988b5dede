#pragma once

#include "platform/gadget_driver.h"
#include "platform/gtk/primary_monitor.h"

namespace keyweave::gtk {

// Realises the program's gadgets with GTK 3: windows, push buttons, labels, combo boxes and
// text areas at their exact pixel positions and sizes. Other classes are plain gadgets whose
// operations do nothing. Windows are placed counting from the primary monitor's top left corner.
// The primary monitor's area is the platform's, which may follow the outputs.
class GtkGadgetDriver final : public GadgetDriver {
public:
    explicit GtkGadgetDriver(const MonitorArea& primary);

    std::shared_ptr<TGadget> CreateGadget(int gadgetClass, const std::u16string& text, int x, int y,
                                          int width, int height,
                                          const std::shared_ptr<TGadget>& group,
                                          int style) override;

    // The primary monitor's size (the first monitor's when none is marked primary).
    ScreenSize DesktopSize() override { return primary_.size; }

private:
    const MonitorArea& primary_;
};

} // namespace keyweave::gtk
