#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace keyweave {

// One row of the key table: a keyboard key or a mouse button. Rows are made once at start-up
// and shared by identity between the table, the keyboard poll's lists and the binding.
class TKey {
public:
    std::u16string Name;       // display name, "Left Ctrl"
    std::u16string ScriptName; // name in scripts and settings.ini, "KEY_LCTRL"
    std::int32_t Key = 0;      // Windows virtual-key code, or mouse button 1 left, 2 right
    std::int32_t KeyExtra = 0;

    // The Start/Stop binding (input/binding.cpp), driven by the main loop.

    // Capture, once per turn while nothing is bound; 1 when this call captured a binding.
    static int UpdateBind();
    // Starts the 2999 ms capture wait over.
    static int ResetBindTimer();
    // Toggle detection, once per turn while a binding exists.
    static int Update();
    // Starts or stops the selected script.
    static int ToggleEnabled();
};

using KeyRef = std::shared_ptr<TKey>;
using KeyList = std::vector<KeyRef>;

} // namespace keyweave
