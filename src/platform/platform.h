#pragma once

#include "platform/gadget_driver.h"
#include "platform/input_watcher.h"
#include "platform/keyboard_device.h"
#include "platform/mouse_device.h"
#include "platform/system_driver.h"
#include "platform/timer_source.h"

#include <memory>

namespace keyweave {

// Everything the core needs of the system it runs on. Each platform library (win32, x11, sim)
// implements it; the program's entry gets its platform from CreatePlatform().
class Platform {
public:
    virtual ~Platform() = default;
    virtual KeyboardDevice& Keyboard() = 0;
    virtual MouseDevice& Mouse() = 0;
    virtual TimerSource& Timers() = 0;
    virtual SystemDriver& System() = 0;
    virtual GadgetDriver& Gadgets() = 0;
    // The user's input as it happens, for recording scripts. This default cannot watch: the
    // recorder then tells the user that recording is not possible.
    virtual InputWatcher& Watcher() {
        static NoInputWatcher none;
        return none;
    }
};

// Defined once by the platform library that is linked into the program.
std::unique_ptr<Platform> CreatePlatform(int argc, char** argv);

} // namespace keyweave
