#pragma once

#include "platform/gadget_driver.h"

namespace keyweave::win32 {

class Win32Gadget;
class Win32SystemDriver;

// The gadget driver: windows, labels, buttons, combo boxes and text areas.
class Win32GadgetDriver final : public GadgetDriver {
public:
    Win32GadgetDriver(Win32SystemDriver& system, ScreenSize desktop);

    std::shared_ptr<TGadget> CreateGadget(int gadgetClass, const std::u16string& text, int x, int y,
                                          int width, int height,
                                          const std::shared_ptr<TGadget>& group,
                                          int style) override;
    ScreenSize DesktopSize() override { return desktop_; }

private:
    std::shared_ptr<Win32Gadget> Make(int gadgetClass, const std::u16string& text, int x, int y,
                                      int width, int height, const std::shared_ptr<TGadget>& group,
                                      int style);

    Win32SystemDriver& system_;
    ScreenSize desktop_;
};

} // namespace keyweave::win32
