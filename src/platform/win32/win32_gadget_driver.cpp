#include "platform/win32/win32_gadget_driver.h"

#include "platform/win32/combo_box_gadget.h"
#include "platform/win32/text_area_gadget.h"
#include "platform/win32/window_gadget.h"

#include <stdexcept>

namespace keyweave::win32 {

Win32GadgetDriver::Win32GadgetDriver(Win32SystemDriver& system, ScreenSize desktop)
    : system_(system), desktop_(desktop) {}

std::shared_ptr<TGadget> Win32GadgetDriver::CreateGadget(int gadgetClass,
                                                         const std::u16string& text, int x, int y,
                                                         int width, int height,
                                                         const std::shared_ptr<TGadget>& group,
                                                         int style) {
    std::shared_ptr<Win32Gadget> gadget =
        Make(gadgetClass, text, x, y, width, height, group, style);
    gadget->BecomeSensitive();
    return gadget;
}

std::shared_ptr<Win32Gadget> Win32GadgetDriver::Make(int gadgetClass, const std::u16string& text,
                                                     int x, int y, int width, int height,
                                                     const std::shared_ptr<TGadget>& group,
                                                     int style) {
    switch (gadgetClass) {
    case WindowClass: {
        const auto* owner = dynamic_cast<const Win32Gadget*>(group.get());
        return std::make_shared<WindowGadget>(system_, text, x, y, width, height,
                                              owner != nullptr ? owner->Handle() : nullptr, style);
    }
    case LabelClass:
        return std::make_shared<LabelGadget>(text, x, y, width, height, style, group);
    case ButtonClass:
        return std::make_shared<ButtonGadget>(text, x, y, width, height, style, group);
    case ComboBoxClass: {
        auto combo = std::make_shared<ComboBoxGadget>(x, y, width, height, style, group);
        if (!text.empty()) {
            combo->SetText(text);
        }
        return combo;
    }
    case TextAreaClass: {
        auto area = std::make_shared<TextAreaGadget>(x, y, width, height, style, group);
        if (!text.empty()) {
            area->SetText(text);
        }
        return area;
    }
    default:
        throw std::invalid_argument("This gadget class is not available on Windows");
    }
}

} // namespace keyweave::win32
