#include "input/key_table.h"

#include "input/keyboard.h"
#include "input/mouse.h"
#include "runtime/strings.h"

namespace keyweave {

namespace {

enum class Device { Mouse, Keyboard };

struct KeyRow {
    Device device;
    const char16_t* scriptName;
    const char16_t* name;
    std::int32_t code;
};

// Every key a script may name, in the order start-up adds them. N has no row; Enter and
// Return share code 13.
// clang-format off
constexpr KeyRow kKeyRows[] = {
    {Device::Mouse,    u"MOUSE_LEFT",  u"Left Mouse",   1},
    {Device::Mouse,    u"MOUSE_RIGHT", u"Right  Mouse", 2},
    {Device::Keyboard, u"KEY_TAB",     u"Tab",          9},
    {Device::Keyboard, u"KEY_LALT",    u"Left Alt",     164},
    {Device::Keyboard, u"KEY_RALT",    u"Right Alt",    165},
    {Device::Keyboard, u"KEY_LSHIFT",  u"Left Shift",   160},
    {Device::Keyboard, u"KEY_RSHIFT",  u"Right Shift",  161},
    {Device::Keyboard, u"KEY_LCTRL",   u"Left Ctrl",    162},
    {Device::Keyboard, u"KEY_RCTRL",   u"Right Ctrl",   163},
    {Device::Keyboard, u"KEY_SPACE",   u"Space",        32},
    {Device::Keyboard, u"KEY_ENTER",   u"Enter",        13},
    {Device::Keyboard, u"KEY_RETURN",  u"Return",       13},
    {Device::Keyboard, u"KEY_DOWN",    u"Arrow Down",   40},
    {Device::Keyboard, u"KEY_UP",      u"Arrow Up",     38},
    {Device::Keyboard, u"KEY_LEFT",    u"Arrow Left",   37},
    {Device::Keyboard, u"KEY_RIGHT",   u"Arrow Right",  39},
    {Device::Keyboard, u"KEY_A",       u"A",            65},
    {Device::Keyboard, u"KEY_B",       u"B",            66},
    {Device::Keyboard, u"KEY_C",       u"C",            67},
    {Device::Keyboard, u"KEY_D",       u"D",            68},
    {Device::Keyboard, u"KEY_E",       u"E",            69},
    {Device::Keyboard, u"KEY_F",       u"F",            70},
    {Device::Keyboard, u"KEY_G",       u"G",            71},
    {Device::Keyboard, u"KEY_H",       u"H",            72},
    {Device::Keyboard, u"KEY_I",       u"I",            73},
    {Device::Keyboard, u"KEY_J",       u"J",            74},
    {Device::Keyboard, u"KEY_K",       u"K",            75},
    {Device::Keyboard, u"KEY_L",       u"L",            76},
    {Device::Keyboard, u"KEY_M",       u"M",            77},
    {Device::Keyboard, u"KEY_O",       u"O",            79},
    {Device::Keyboard, u"KEY_P",       u"P",            80},
    {Device::Keyboard, u"KEY_Q",       u"Q",            81},
    {Device::Keyboard, u"KEY_R",       u"R",            82},
    {Device::Keyboard, u"KEY_S",       u"S",            83},
    {Device::Keyboard, u"KEY_T",       u"T",            84},
    {Device::Keyboard, u"KEY_U",       u"U",            85},
    {Device::Keyboard, u"KEY_V",       u"V",            86},
    {Device::Keyboard, u"KEY_W",       u"W",            87},
    {Device::Keyboard, u"KEY_X",       u"X",            88},
    {Device::Keyboard, u"KEY_Y",       u"Y",            89},
    {Device::Keyboard, u"KEY_Z",       u"Z",            90},
    {Device::Keyboard, u"KEY_0",       u"0 (Zero)",     48},
    {Device::Keyboard, u"KEY_1",       u"1",            49},
    {Device::Keyboard, u"KEY_2",       u"2",            50},
    {Device::Keyboard, u"KEY_3",       u"3",            51},
    {Device::Keyboard, u"KEY_4",       u"4",            52},
    {Device::Keyboard, u"KEY_5",       u"5",            53},
    {Device::Keyboard, u"KEY_6",       u"6",            54},
    {Device::Keyboard, u"KEY_7",       u"7",            55},
    {Device::Keyboard, u"KEY_8",       u"8",            56},
    {Device::Keyboard, u"KEY_9",       u"9",            57},
    {Device::Keyboard, u"KEY_F1",      u"F1",           112},
    {Device::Keyboard, u"KEY_F2",      u"F2",           113},
    {Device::Keyboard, u"KEY_F3",      u"F3",           114},
    {Device::Keyboard, u"KEY_F4",      u"F4",           115},
    {Device::Keyboard, u"KEY_F5",      u"F5",           116},
    {Device::Keyboard, u"KEY_F6",      u"F6",           117},
    {Device::Keyboard, u"KEY_F7",      u"F7",           118},
    {Device::Keyboard, u"KEY_F8",      u"F8",           119},
    {Device::Keyboard, u"KEY_F9",      u"F9",           120},
    {Device::Keyboard, u"KEY_F10",     u"F10",          121},
    {Device::Keyboard, u"KEY_F11",     u"F11",          122},
    {Device::Keyboard, u"KEY_F12",     u"F12",          123},
};
// clang-format on

// Compares without making upper-case copies: a hostile file may ask for millions of names.
bool EqualsIgnoringCase(const std::u16string& name, const std::u16string& upperText) {
    if (name.size() != upperText.size()) {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (UpperChar(name[i]) != upperText[i]) {
            return false;
        }
    }
    return true;
}

bool Matches(const TKey& key, const std::u16string& upperText) {
    return EqualsIgnoringCase(key.Name, upperText) || EqualsIgnoringCase(key.ScriptName, upperText);
}

} // namespace

KeyRef AppendKey(KeyList& table, const std::u16string& name, const std::u16string& scriptName,
                 std::int32_t code) {
    auto key = std::make_shared<TKey>();
    key->Name = name;
    key->ScriptName = scriptName;
    key->Key = code;
    table.push_back(key);
    return key;
}

KeyRef KeyFromCode(const KeyList& table, std::int32_t code) {
    for (const KeyRef& key : table) {
        if (key->Key == code) {
            return key;
        }
    }
    return nullptr;
}

KeyRef KeyFromName(const KeyList& table, const std::u16string& text) {
    std::u16string upperText = Upper(text);
    for (const KeyRef& key : table) {
        if (Matches(*key, upperText)) {
            return key;
        }
    }
    return nullptr;
}

std::int32_t CodeFromName(const KeyList& table, const std::u16string& text) {
    KeyRef key = KeyFromName(table, text);
    return key ? key->Key : 0;
}

std::u16string DisplayNameFromCode(const KeyList& table, std::int32_t code) {
    KeyRef key = KeyFromCode(table, code);
    return key ? key->Name : u"";
}

std::u16string ScriptNameFromCode(const KeyList& table, std::int32_t code) {
    KeyRef key = KeyFromCode(table, code);
    return key ? key->ScriptName : u"";
}

void FillKeyTable() {
    for (const KeyRow& row : kKeyRows) {
        if (row.device == Device::Mouse) {
            TMouse::AddKey(row.name, row.scriptName, row.code);
        } else {
            TKeyboard::Add(row.name, row.scriptName, row.code);
        }
    }
}

} // namespace keyweave
