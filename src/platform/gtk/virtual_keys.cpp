#include "platform/gtk/virtual_keys.h"

#include <X11/keysym.h>
#include <algorithm>

namespace keyweave::gtk {
namespace {

struct KeyRow {
    int virtualKey;
    Keysym keysym;
};

// Ordered by virtual-key code; a code with several rows injects its first keysym.
constexpr KeyRow kKeyRows[] = {
    {8, XK_BackSpace},    {9, XK_Tab},
    {13, XK_Return},      {16, XK_Shift_L},
    {16, XK_Shift_R},     {17, XK_Control_L},
    {17, XK_Control_R},   {18, XK_Alt_L},
    {18, XK_Alt_R},       {19, XK_Pause},
    {20, XK_Caps_Lock},   {27, XK_Escape},
    {32, XK_space},       {33, XK_Prior},
    {34, XK_Next},        {35, XK_End},
    {36, XK_Home},        {37, XK_Left},
    {38, XK_Up},          {39, XK_Right},
    {40, XK_Down},        {44, XK_Print},
    {45, XK_Insert},      {46, XK_Delete},
    {48, XK_0},           {49, XK_1},
    {50, XK_2},           {51, XK_3},
    {52, XK_4},           {53, XK_5},
    {54, XK_6},           {55, XK_7},
    {56, XK_8},           {57, XK_9},
    {65, XK_a},           {66, XK_b},
    {67, XK_c},           {68, XK_d},
    {69, XK_e},           {70, XK_f},
    {71, XK_g},           {72, XK_h},
    {73, XK_i},           {74, XK_j},
    {75, XK_k},           {76, XK_l},
    {77, XK_m},           {78, XK_n},
    {79, XK_o},           {80, XK_p},
    {81, XK_q},           {82, XK_r},
    {83, XK_s},           {84, XK_t},
    {85, XK_u},           {86, XK_v},
    {87, XK_w},           {88, XK_x},
    {89, XK_y},           {90, XK_z},
    {91, XK_Super_L},     {92, XK_Super_R},
    {93, XK_Menu},        {96, XK_KP_0},
    {97, XK_KP_1},        {98, XK_KP_2},
    {99, XK_KP_3},        {100, XK_KP_4},
    {101, XK_KP_5},       {102, XK_KP_6},
    {103, XK_KP_7},       {104, XK_KP_8},
    {105, XK_KP_9},       {106, XK_KP_Multiply},
    {107, XK_KP_Add},     {109, XK_KP_Subtract},
    {110, XK_KP_Decimal}, {111, XK_KP_Divide},
    {112, XK_F1},         {113, XK_F2},
    {114, XK_F3},         {115, XK_F4},
    {116, XK_F5},         {117, XK_F6},
    {118, XK_F7},         {119, XK_F8},
    {120, XK_F9},         {121, XK_F10},
    {122, XK_F11},        {123, XK_F12},
    {124, XK_F13},        {125, XK_F14},
    {126, XK_F15},        {127, XK_F16},
    {128, XK_F17},        {129, XK_F18},
    {130, XK_F19},        {131, XK_F20},
    {132, XK_F21},        {133, XK_F22},
    {134, XK_F23},        {135, XK_F24},
    {144, XK_Num_Lock},   {145, XK_Scroll_Lock},
    {160, XK_Shift_L},    {161, XK_Shift_R},
    {162, XK_Control_L},  {163, XK_Control_R},
    {164, XK_Alt_L},      {165, XK_Alt_R},
};

// The keysyms of the table in table order, so that a code's rows form one span.
constexpr auto kKeysyms = [] {
    std::array<Keysym, std::size(kKeyRows)> keysyms{};
    for (std::size_t i = 0; i < keysyms.size(); ++i) {
        keysyms[i] = kKeyRows[i].keysym;
    }
    return keysyms;
}();

// Only the first group's unshifted and shifted keysyms identify a key.
constexpr int kColumnsUsed = 2;

constexpr int kRightAlt = 165;

// Shift, Ctrl and Alt without a side; their keys also have a code of their own side.
constexpr bool IsSideNeutral(int virtualKey) {
    return virtualKey >= 16 && virtualKey <= 18;
}

struct KeyPlace {
    int virtualKey;
    std::string_view keyName;
};

// The keys that carry the digits and the letters on the US layout, by their XKB names.
constexpr KeyPlace kUsDigitPlaces[] = {
    {'0', "AE10"}, {'1', "AE01"}, {'2', "AE02"}, {'3', "AE03"}, {'4', "AE04"},
    {'5', "AE05"}, {'6', "AE06"}, {'7', "AE07"}, {'8', "AE08"}, {'9', "AE09"},
};
constexpr KeyPlace kUsLetterPlaces[] = {
    {'A', "AC01"}, {'B', "AB05"}, {'C', "AB03"}, {'D', "AC03"}, {'E', "AD03"}, {'F', "AC04"},
    {'G', "AC05"}, {'H', "AC06"}, {'I', "AD08"}, {'J', "AC07"}, {'K', "AC08"}, {'L', "AC09"},
    {'M', "AB07"}, {'N', "AB06"}, {'O', "AD09"}, {'P', "AD10"}, {'Q', "AD01"}, {'R', "AD04"},
    {'S', "AC02"}, {'T', "AD05"}, {'U', "AD07"}, {'V', "AB04"}, {'W', "AD02"}, {'X', "AB02"},
    {'Y', "AD06"}, {'Z', "AB01"},
};

} // namespace

std::span<const Keysym> KeysymsOf(int virtualKey) {
    auto [first, last] = std::equal_range(
        std::begin(kKeyRows), std::end(kKeyRows), KeyRow{virtualKey, 0},
        [](const KeyRow& a, const KeyRow& b) { return a.virtualKey < b.virtualKey; });
    auto offset = first - std::begin(kKeyRows);
    return {kKeysyms.data() + offset, static_cast<std::size_t>(last - first)};
}

VirtualKeyMap::VirtualKeyMap(const KeyboardMapping& mapping) {
    if (mapping.keysymsPerKeycode <= 0) {
        return;
    }
    FindByKeysyms(mapping);
    FindByKeyNames(mapping);
}

void VirtualKeyMap::FindByKeysyms(const KeyboardMapping& mapping) {
    const int perKeycode = mapping.keysymsPerKeycode;
    const int keycodes = static_cast<int>(mapping.keysyms.size()) / perKeycode;
    auto keysymAt = [&](int keycode, int column) {
        return mapping.keysyms[(keycode - mapping.minKeycode) * perKeycode + column];
    };
    auto usable = [&](int keycode) { return keycode >= 1 && keycode <= 255; };
    const int columns = std::min(perKeycode, kColumnsUsed);

    for (int virtualKey = 0; virtualKey < 256; ++virtualKey) {
        for (Keysym wanted : KeysymsOf(virtualKey)) {
            for (int column = 0; column < columns && keycodeOf_[virtualKey] == 0; ++column) {
                for (int i = 0; i < keycodes; ++i) {
                    int keycode = mapping.minKeycode + i;
                    if (usable(keycode) && keysymAt(keycode, column) == wanted) {
                        keycodeOf_[virtualKey] = static_cast<std::uint8_t>(keycode);
                        break;
                    }
                }
            }
            for (int i = 0; i < keycodes; ++i) {
                int keycode = mapping.minKeycode + i;
                for (int column = 0; column < columns && usable(keycode); ++column) {
                    if (keysymAt(keycode, column) == wanted) {
                        keysOf_[keycode].set(virtualKey);
                    }
                }
            }
        }
    }
}

void VirtualKeyMap::FindByKeyNames(const KeyboardMapping& mapping) {
    PlaceOnNamedKey(mapping, kRightAlt, "RALT");
    for (auto places :
         {std::span<const KeyPlace>(kUsDigitPlaces), std::span<const KeyPlace>(kUsLetterPlaces)}) {
        const bool layoutHasSome = std::any_of(places.begin(), places.end(), [&](auto place) {
            return keycodeOf_[place.virtualKey] != 0;
        });
        if (layoutHasSome) {
            continue;
        }
        for (const KeyPlace& place : places) {
            PlaceOnNamedKey(mapping, place.virtualKey, place.keyName);
        }
    }
}

void VirtualKeyMap::PlaceOnNamedKey(const KeyboardMapping& mapping, int virtualKey,
                                    std::string_view name) {
    const auto found = std::find(mapping.keyNames.begin(), mapping.keyNames.end(), name);
    const int keycode = mapping.minKeycode + static_cast<int>(found - mapping.keyNames.begin());
    if (found == mapping.keyNames.end() || keycode < 1 || keycode > 255) {
        return;
    }
    for (KeySet& keys : keysOf_) {
        keys.reset(virtualKey);
    }
    keycodeOf_[virtualKey] = static_cast<std::uint8_t>(keycode);
    keysOf_[keycode].set(virtualKey);
}

int VirtualKeyMap::KeycodeOf(int virtualKey) const {
    if (virtualKey < 0 || virtualKey > 255) {
        return 0;
    }
    return keycodeOf_[virtualKey];
}

KeySet VirtualKeyMap::HeldKeys(const std::bitset<256>& keycodesDown) const {
    KeySet held;
    for (std::size_t keycode = 0; keycode < keycodesDown.size(); ++keycode) {
        if (keycodesDown[keycode]) {
            held |= keysOf_[keycode];
        }
    }
    for (int code = 0; code < 32; ++code) {
        held.reset(code);
    }
    return held;
}

int VirtualKeyMap::VirtualKeyOf(int keycode) const {
    if (keycode < 0 || keycode > 255) {
        return 0;
    }
    const KeySet& keys = keysOf_[static_cast<std::size_t>(keycode)];
    for (int code = 1; code < 256; ++code) {
        if (keys[code] && !IsSideNeutral(code)) {
            return code;
        }
    }
    return 0;
}

} // namespace keyweave::gtk
