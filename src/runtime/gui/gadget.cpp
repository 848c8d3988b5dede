#include "runtime/gui/gadget.h"

#include "platform/platform.h"
#include "runtime/events/hooks.h"
#include "runtime/system/system.h"

namespace keyweave {

namespace {

GadgetRef desktop;
std::u16string applicationTitle;

// Integer division truncating toward zero, so a window larger than the area gets a negative
// position.
int CentredPosition(int areaPos, int areaSize, int size) {
    return areaPos + (areaSize - size) / 2;
}

} // namespace

GadgetRef CreateGadget(int gadgetClass, const std::u16string& text, int x, int y, int width,
                       int height, const GadgetRef& group, int style) {
    if (gadgetClass == DesktopClass) {
        return DesktopGadget();
    }
    return CurrentPlatform().Gadgets().CreateGadget(gadgetClass, text, x, y, width, height, group,
                                                    style);
}

GadgetRef CreateWindowGadget(const std::u16string& title, int x, int y, int width, int height,
                             const GadgetRef& group, int style) {
    if ((style & WindowCentred) != 0 && group != nullptr) {
        x = CentredPosition(group->GetXPos(), group->GetWidth(), width);
        y = CentredPosition(group->GetYPos(), group->GetHeight(), height);
    } else if ((style & WindowCentred) != 0) {
        const GadgetRef screen = DesktopGadget();
        x = CentredPosition(0, screen->GetWidth(), width);
        y = CentredPosition(0, screen->GetHeight(), height);
    }
    return CreateGadget(WindowClass, title, x, y, width, height, group, style);
}

GadgetRef CreateButtonGadget(const std::u16string& text, int x, int y, int width, int height,
                             const GadgetRef& group, int style) {
    return CreateGadget(ButtonClass, text, x, y, width, height, group, style);
}

GadgetRef CreateTextAreaGadget(int x, int y, int width, int height, const GadgetRef& group,
                               int style) {
    return CreateGadget(TextAreaClass, u"", x, y, width, height, group, style);
}

GadgetRef CreateComboBoxGadget(int x, int y, int width, int height, const GadgetRef& group,
                               int style) {
    return CreateGadget(ComboBoxClass, u"", x, y, width, height, group, style);
}

GadgetRef CreateLabelGadget(const std::u16string& text, int x, int y, int width, int height,
                            const GadgetRef& group, int style) {
    return CreateGadget(LabelClass, text, x, y, width, height, group, style);
}

GadgetRef DesktopGadget() {
    if (desktop == nullptr) {
        throw RuntimeError("The GUI toolkit has not been started");
    }
    return desktop;
}

void AddItem(const GadgetRef& gadget, const std::u16string& text, int flags, int icon,
             const std::u16string& tip, ObjectRef extra) {
    gadget->InsertItem(gadget->ItemCount(), text, tip, icon, std::move(extra), flags);
}

void SetApplicationTitle(const std::u16string& title) {
    applicationTitle = title;
}

const std::u16string& ApplicationTitle() {
    return applicationTitle;
}

void StartGui() {
    const ScreenSize size = CurrentPlatform().Gadgets().DesktopSize();
    desktop = std::make_shared<TGadget>(DesktopClass, 0, 0, size.width, size.height, 0);
    applicationTitle.clear();
}

} // namespace keyweave
