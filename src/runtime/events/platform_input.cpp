#include "platform/platform_input.h"

#include "runtime/events/event.h"
#include "runtime/gui/gadget.h"

namespace keyweave {

void InputGadgetAction(TGadget& gadget, int data, ObjectRef extra) {
    TEvent::Create(GadgetAction, gadget.shared_from_this(), data, 0, 0, 0, std::move(extra))
        ->Emit();
}

void InputWindowClose(TGadget& window) {
    TEvent::Create(WindowClose, window.shared_from_this(), 0, 0, 0, 0, nullptr)->Emit();
}

void InputRawEvent(int id, const ObjectRef& source, int data, int mods, int x, int y) {
    TEvent::Create(id, source, data, mods, x, y, nullptr)->Emit();
}

} // namespace keyweave
