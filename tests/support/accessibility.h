#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace keyweave::x11test {

// One element of a program's user interface, as its accessibility interface describes it.
struct UiElement {
    std::string role; // "push button", "label", "combo box", "menu item", "alert", ...
    std::string name; // the text it shows: a caption, a label's text, a chosen item
    std::string text; // the whole text of a text element (the script view)
    int x = 0;        // screen position and size
    int y = 0;
    int width = 0;
    int height = 0;
    bool showing = false;
    int depth = 0; // 0 for the program's top-level windows
};

// Reads the user interface of a program through the accessibility bus (AT-SPI), as a screen
// reader would, with plain D-Bus calls on the bus that AT_SPI_BUS_ADDRESS names.
class Accessibility {
public:
    // Every element of the process's windows, in tree order; empty when the program is not
    // (yet) on the bus.
    static std::vector<UiElement> Elements(pid_t pid);

    // Waits at most `limit` for an element with this role whose name contains `name`; it is
    // looked up afresh each time.
    static std::optional<UiElement> WaitFor(pid_t pid, const std::string& role,
                                            const std::string& name,
                                            std::chrono::milliseconds limit);

    // Performs the first action (a button's click) of the element with this role and exactly
    // this name, as an assistive tool does; true when the program did it. It needs no mouse
    // button, so it works while another client holds the buttons down.
    static bool Press(pid_t pid, const std::string& role, const std::string& name);

    // Selects the item with exactly this name among the items of the first element with
    // this role (a combo box's list), as an assistive tool does, without a pointer; true when
    // the program did it.
    static bool Choose(pid_t pid, const std::string& role, const std::string& item);

    // Readable dump of the elements, for failure messages.
    static std::string Describe(const std::vector<UiElement>& elements);

    static void Disconnect();
};

} // namespace keyweave::x11test
