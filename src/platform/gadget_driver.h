#pragma once

#include <memory>
#include <string>

namespace keyweave {

class TGadget;

struct ScreenSize {
    int width = 0;
    int height = 0;
};

// Realises gadgets as the platform's windows and controls.
class GadgetDriver {
public:
    virtual ~GadgetDriver() = default;

    // Creates a gadget of a class other than the desktop (class codes in runtime/gui/gadget.h)
    // at its final position: x and y are relative to the group's client area, or screen
    // coordinates of the client area for a window without a group. The gadget is shown.
    virtual std::shared_ptr<TGadget> CreateGadget(int gadgetClass, const std::u16string& text,
                                                  int x, int y, int width, int height,
                                                  const std::shared_ptr<TGadget>& group,
                                                  int style) = 0;

    // The size of the primary screen in pixels, as it was when the driver started.
    virtual ScreenSize DesktopSize() = 0;
};

} // namespace keyweave
