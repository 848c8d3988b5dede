#include "app/program_state.h"
#include "input/key_table.h"
#include "platform/gtk/virtual_keys.h"

#include <X11/keysym.h>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <vector>

namespace keyweave::gtk {
namespace {

Keysym FirstKeysym(int virtualKey) {
    auto keysyms = KeysymsOf(virtualKey);
    return keysyms.empty() ? 0 : keysyms.front();
}

TEST(VirtualKeyTable, ModifiersKeepTheirSide) {
    EXPECT_EQ(FirstKeysym(160), static_cast<Keysym>(XK_Shift_L));
    EXPECT_EQ(FirstKeysym(161), static_cast<Keysym>(XK_Shift_R));
    EXPECT_EQ(FirstKeysym(162), static_cast<Keysym>(XK_Control_L));
    EXPECT_EQ(FirstKeysym(163), static_cast<Keysym>(XK_Control_R));
    EXPECT_EQ(FirstKeysym(164), static_cast<Keysym>(XK_Alt_L));
    EXPECT_EQ(FirstKeysym(165), static_cast<Keysym>(XK_Alt_R));
    // The side-neutral codes stand for either side and inject the left one.
    EXPECT_EQ(std::vector<Keysym>(KeysymsOf(16).begin(), KeysymsOf(16).end()),
              (std::vector<Keysym>{XK_Shift_L, XK_Shift_R}));
}

TEST(VirtualKeyTable, NamedKeysOfTheKeyTable) {
    EXPECT_EQ(FirstKeysym(13), static_cast<Keysym>(XK_Return)); // Enter and Return share 13
    EXPECT_EQ(FirstKeysym(9), static_cast<Keysym>(XK_Tab));
    EXPECT_EQ(FirstKeysym(32), static_cast<Keysym>(XK_space));
    EXPECT_EQ(FirstKeysym(37), static_cast<Keysym>(XK_Left));
    EXPECT_EQ(FirstKeysym(38), static_cast<Keysym>(XK_Up));
    EXPECT_EQ(FirstKeysym(39), static_cast<Keysym>(XK_Right));
    EXPECT_EQ(FirstKeysym(40), static_cast<Keysym>(XK_Down));
    for (int i = 0; i < 26; ++i) {
        EXPECT_EQ(FirstKeysym(65 + i), static_cast<Keysym>(XK_a + i)) << "letter " << i;
    }
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(FirstKeysym(48 + i), static_cast<Keysym>(XK_0 + i)) << "digit " << i;
    }
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(FirstKeysym(112 + i), static_cast<Keysym>(XK_F1 + i)) << "F" << i + 1;
    }
}

TEST(VirtualKeyTable, CodesWithoutAKeyHaveNoKeysym) {
    for (int code : {0, 1, 2, 7, 255, 256, -1}) {
        EXPECT_TRUE(KeysymsOf(code).empty()) << code;
    }
}

TEST(VirtualKeyTable, EveryKeyboardRowOfTheKeyTableHasItsOwnKeysym) {
    ResetProgramState();
    FillKeyTable();
    std::map<Keysym, int> codeOfKeysym;
    for (const KeyRef& row : Program().KeyboardKeyList) {
        Keysym keysym = FirstKeysym(row->Key);
        EXPECT_NE(keysym, 0u) << "no keysym for the key table's row of code " << row->Key;
        auto [entry, fresh] = codeOfKeysym.emplace(keysym, row->Key);
        EXPECT_TRUE(fresh || entry->second == row->Key)
            << "codes " << entry->second << " and " << row->Key << " share a keysym";
    }
}

// A small US-like keyboard mapping with two keysyms per keycode (unshifted, shifted) unless a
// test gives more.
KeyboardMapping Mapping(const std::map<int, std::vector<Keysym>>& keys, int perKeycode = 2) {
    KeyboardMapping mapping;
    mapping.minKeycode = 8;
    mapping.keysymsPerKeycode = perKeycode;
    mapping.keysyms.assign(static_cast<std::size_t>((255 - 8 + 1) * perKeycode), 0);
    for (const auto& [keycode, keysyms] : keys) {
        for (std::size_t column = 0; column < keysyms.size(); ++column) {
            mapping.keysyms[(keycode - 8) * perKeycode + column] = keysyms[column];
        }
    }
    return mapping;
}

const std::map<int, std::vector<Keysym>> kUsKeys = {
    {9, {XK_Escape}},      {10, {XK_1, XK_exclam}},      {23, {XK_Tab, XK_ISO_Left_Tab}},
    {36, {XK_Return}},     {37, {XK_Control_L}},         {38, {XK_a, XK_A}},
    {50, {XK_Shift_L}},    {62, {XK_Shift_R}},           {64, {XK_Alt_L, XK_Meta_L}},
    {65, {XK_space}},      {67, {XK_F1, XK_F1}},         {96, {XK_F12, XK_F12}},
    {105, {XK_Control_R}}, {108, {XK_Alt_R, XK_Meta_R}}, {113, {XK_Left}},
    {111, {XK_Up}},
};

TEST(VirtualKeyMap, FindsTheKeycodeOfEachKey) {
    VirtualKeyMap keys(Mapping(kUsKeys));
    EXPECT_EQ(keys.KeycodeOf(65), 38);
    EXPECT_EQ(keys.KeycodeOf(49), 10);
    EXPECT_EQ(keys.KeycodeOf(13), 36);
    EXPECT_EQ(keys.KeycodeOf(9), 23);
    EXPECT_EQ(keys.KeycodeOf(32), 65);
    EXPECT_EQ(keys.KeycodeOf(112), 67);
    EXPECT_EQ(keys.KeycodeOf(123), 96);
    EXPECT_EQ(keys.KeycodeOf(37), 113);
    EXPECT_EQ(keys.KeycodeOf(160), 50);
    EXPECT_EQ(keys.KeycodeOf(161), 62);
    EXPECT_EQ(keys.KeycodeOf(162), 37);
    EXPECT_EQ(keys.KeycodeOf(163), 105);
    EXPECT_EQ(keys.KeycodeOf(164), 64);
    EXPECT_EQ(keys.KeycodeOf(165), 108);
    EXPECT_EQ(keys.KeycodeOf(16), 50);
}

TEST(VirtualKeyMap, ACodeThatNoKeyHasGivesNoKeycode) {
    VirtualKeyMap keys(Mapping(kUsKeys));
    EXPECT_EQ(keys.KeycodeOf(0), 0);  // no keysym at all
    EXPECT_EQ(keys.KeycodeOf(66), 0); // B: a keysym, but no key of this keyboard has it
    EXPECT_EQ(keys.KeycodeOf(-1), 0);
    EXPECT_EQ(keys.KeycodeOf(256), 0);
    EXPECT_EQ(VirtualKeyMap().KeycodeOf(65), 0);
}

TEST(VirtualKeyMap, PrefersAnUnshiftedKeysymThenTheLowestKeycode) {
    VirtualKeyMap keys(Mapping(
        {
            {20, {XK_Cyrillic_ef, XK_a}}, // a only when shifted
            {38, {XK_a, XK_A}},
            {40, {XK_a, XK_A}},
            {50, {XK_b, XK_B, XK_c}}, // c only in a later group
        },
        3));
    EXPECT_EQ(keys.KeycodeOf(65), 38);
    EXPECT_EQ(keys.KeycodeOf(66), 50);
    EXPECT_EQ(keys.KeycodeOf(67), 0);

    VirtualKeyMap shiftedOnly(Mapping({{20, {XK_Cyrillic_ef, XK_a}}}));
    EXPECT_EQ(shiftedOnly.KeycodeOf(65), 20);
}

TEST(VirtualKeyMap, HeldKeycodesGiveTheirVirtualKeysFrom32On) {
    VirtualKeyMap keys(Mapping(kUsKeys));
    std::bitset<256> down;
    EXPECT_TRUE(keys.HeldKeys(down).none());

    down.set(38);  // a
    down.set(50);  // Shift_L: 160, and the side-neutral 16 which is below 32
    down.set(36);  // Return: 13, below 32
    down.set(23);  // Tab: 9, below 32
    down.set(200); // no keysym
    KeySet held = keys.HeldKeys(down);
    std::set<int> codes;
    for (int code = 0; code < 256; ++code) {
        if (held[code]) {
            codes.insert(code);
        }
    }
    EXPECT_EQ(codes, (std::set<int>{65, 160}));

    down.reset();
    down.set(108); // Alt_R with Meta_R shifted
    down.set(62);
    held = keys.HeldKeys(down);
    EXPECT_TRUE(held[165]);
    EXPECT_TRUE(held[161]);
    EXPECT_FALSE(held[164]);
    EXPECT_FALSE(held[160]);
}

TEST(VirtualKeyMap, AKeycodeStandsForOneVirtualKeyItsSideIncluded) {
    VirtualKeyMap keys(Mapping(kUsKeys));
    for (auto [keycode, code] : {std::pair{38, 65},
                                 {50, 160},
                                 {105, 163},
                                 {108, 165},
                                 {36, 13},
                                 {23, 9},
                                 {200, 0},
                                 {256, 0}}) {
        EXPECT_EQ(keys.VirtualKeyOf(keycode), code) << keycode;
    }
}

TEST(VirtualKeyMap, TwoKeysWithOneKeysymBothCount) {
    VirtualKeyMap keys(Mapping({{50, {XK_Shift_L}}, {150, {XK_Shift_L}}}));
    std::bitset<256> down;
    down.set(150);
    EXPECT_TRUE(keys.HeldKeys(down)[160]);
    EXPECT_EQ(keys.KeycodeOf(160), 50);
}

} // namespace
} // namespace keyweave::gtk
