#pragma once

#include "platform/gadget_driver.h"
#include "platform/input_watcher.h"
#include "platform/keyboard_device.h"
#include "platform/mouse_device.h"
#include "platform/system_driver.h"
#include "platform/timer_source.h"

#include <memory>

namespace keyweave {

// Everything the core needs of the system it runs on. Each platform library (win32, x11,
// wayland, sim) owns its parts and hands them to this base as it is made; the program's entry
// gets its platform from CreatePlatform().
class Platform {
public:
    // The parts, which outlive the base: a platform hands references to its own members, made
    // after the base but before anyone asks for them.
    struct Parts {
        KeyboardDevice& keyboard;
        MouseDevice& mouse;
        TimerSource& timers;
        SystemDriver& system;
        GadgetDriver& gadgets;
        // The user's input as it happens, for recording scripts. A platform that cannot watch
        // hands Platform::CannotWatch(): the recorder then says that recording is not possible.
        InputWatcher& watcher;
    };

    explicit Platform(const Parts& parts) : parts_(parts) {}
    virtual ~Platform() = default;
    Platform(const Platform&) = delete;
    Platform& operator=(const Platform&) = delete;

    KeyboardDevice& Keyboard() const { return parts_.keyboard; }
    MouseDevice& Mouse() const { return parts_.mouse; }
    TimerSource& Timers() const { return parts_.timers; }
    SystemDriver& System() const { return parts_.system; }
    GadgetDriver& Gadgets() const { return parts_.gadgets; }
    InputWatcher& Watcher() const { return parts_.watcher; }

    static InputWatcher& CannotWatch() {
        static NoInputWatcher none;
        return none;
    }

private:
    Parts parts_;
};

// Defined once by the platform library that is linked into the program.
std::unique_ptr<Platform> CreatePlatform(int argc, char** argv);

} // namespace keyweave
