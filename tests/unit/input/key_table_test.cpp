#include "app/program_state.h"
#include "input/key_table.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "runtime/strings.h"

#include <gtest/gtest.h>
#include <set>
#include <utility>

namespace keyweave {
namespace {

class KeyTableTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        FillKeyTable();
    }
    const KeyList& keyboard() { return Program().KeyboardKeyList; }
    const KeyList& mouse() { return Program().MouseKeyList; }
};

TEST_F(KeyTableTest, HoldsTwoButtonsAndSixtyOneKeysInTableOrder) {
    ASSERT_EQ(mouse().size(), 2u);
    ASSERT_EQ(keyboard().size(), 61u);
    EXPECT_EQ(mouse()[0]->ScriptName, u"MOUSE_LEFT");
    EXPECT_EQ(mouse()[0]->Name, u"Left Mouse");
    EXPECT_EQ(mouse()[1]->Name, u"Right  Mouse");
    EXPECT_EQ(mouse()[1]->Key, 2);

    const std::vector<std::u16string> head = {
        u"KEY_TAB",   u"KEY_LALT",  u"KEY_RALT",  u"KEY_LSHIFT", u"KEY_RSHIFT",
        u"KEY_LCTRL", u"KEY_RCTRL", u"KEY_SPACE", u"KEY_ENTER",  u"KEY_RETURN",
        u"KEY_DOWN",  u"KEY_UP",    u"KEY_LEFT",  u"KEY_RIGHT",  u"KEY_A"};
    for (std::size_t i = 0; i < head.size(); ++i) {
        EXPECT_EQ(keyboard()[i]->ScriptName, head[i]) << "row " << i;
    }
    EXPECT_EQ(keyboard()[1]->Key, 164);
    EXPECT_EQ(keyboard()[10]->Name, u"Arrow Down");
    EXPECT_EQ(keyboard()[10]->Key, 40);
    EXPECT_EQ(keyboard()[39]->Name, u"0 (Zero)");
    EXPECT_EQ(keyboard().back()->ScriptName, u"KEY_F12");
}

TEST_F(KeyTableTest, LettersDigitsAndFunctionKeysCarryTheirCodes) {
    std::size_t row = 14;
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter) {
        if (letter == u'N') {
            continue;
        }
        const TKey& key = *keyboard()[row++];
        EXPECT_EQ(key.ScriptName, std::u16string(u"KEY_") + letter);
        EXPECT_EQ(key.Key, letter);
    }
    for (char16_t digit = u'0'; digit <= u'9'; ++digit) {
        const TKey& key = *keyboard()[row++];
        EXPECT_EQ(key.ScriptName, std::u16string(u"KEY_") + digit);
        EXPECT_EQ(key.Key, digit);
    }
    for (int f = 1; f <= 12; ++f) {
        const TKey& key = *keyboard()[row++];
        std::u16string number = f < 10 ? std::u16string(1, char16_t(u'0' + f))
                                       : std::u16string(u"1") + char16_t(u'0' + f - 10);
        EXPECT_EQ(key.Name, u"F" + number);
        EXPECT_EQ(key.ScriptName, u"KEY_F" + number);
        EXPECT_EQ(key.Key, 111 + f);
    }
    EXPECT_EQ(row, keyboard().size());
}

TEST_F(KeyTableTest, OnlyEnterAndReturnShareACodeAndNothingElseIsThere) {
    std::multiset<std::int32_t> codes;
    for (const KeyRef& key : keyboard()) {
        codes.insert(key->Key);
        EXPECT_EQ(key->KeyExtra, 0);
        EXPECT_EQ(key->ScriptName.rfind(u"KEY_", 0), 0u);
    }
    EXPECT_EQ(codes.count(13), 2u);
    EXPECT_EQ(std::set<std::int32_t>(codes.begin(), codes.end()).size(), 60u);
    for (std::int32_t absent : {0, 16, 17, 18, 27, 78}) {
        EXPECT_EQ(codes.count(absent), 0u) << absent;
    }
}

TEST_F(KeyTableTest, SharedCodeFindsTheFirstRowAndTheSecondOnlyByName) {
    EXPECT_EQ(TKeyboard::ReturnNameFromInt(13), u"Enter");
    EXPECT_EQ(TKeyboard::ReturnScriptNameFromInt(13), u"KEY_ENTER");
    EXPECT_EQ(TKeyboard::ReturnIntFromString(u"key_return"), 13);
    KeyRef returnKey = TKeyboard::ReturnTKeyFromString(u"Return");
    ASSERT_NE(returnKey, nullptr);
    EXPECT_EQ(returnKey->ScriptName, u"KEY_RETURN");
    EXPECT_EQ(returnKey, keyboard()[9]);
}

TEST_F(KeyTableTest, NamesMatchInAnyCaseButExactlyOtherwise) {
    const std::pair<const char16_t*, int> cases[] = {
        {u"Left Alt", 164}, {u"LEFT ALT", 164}, {u"left alt", 164}, {u"lEfT aLt", 164},
        {u"KEY_LALT", 164}, {u"key_lalt", 164}, {u"Key_LAlt", 164}, {u" KEY_LALT", 0},
        {u"KEY_LALT ", 0},  {u"LeftAlt", 0},    {u"0 (zero)", 48},  {u"0", 0},
        {u"KEY_0", 48},
    };
    for (const auto& [name, code] : cases) {
        EXPECT_EQ(TKeyboard::ReturnIntFromString(name), code) << ToUtf8(name);
    }
}

TEST_F(KeyTableTest, TheLetterNHasNoKey) {
    EXPECT_EQ(TKeyboard::ReturnIntFromString(u"N"), 0);
    EXPECT_EQ(TKeyboard::ReturnIntFromString(u"KEY_N"), 0);
    EXPECT_EQ(TKeyboard::ReturnTKeyFromInt(78), nullptr);
    EXPECT_EQ(TKeyboard::ReturnScriptNameFromInt(78), u"");
}

TEST_F(KeyTableTest, MouseButtonsAndKeysLiveInSeparateTables) {
    EXPECT_EQ(TMouse::ReturnIntFromString(u"Right  Mouse"), 2);
    EXPECT_EQ(TMouse::ReturnIntFromString(u"mouse_right"), 2);
    EXPECT_EQ(TMouse::ReturnIntFromString(u"Right Mouse"), 0);
    EXPECT_EQ(TMouse::ReturnIntFromString(u"MOUSE_LEFT"), 1);
    EXPECT_EQ(TKeyboard::ReturnIntFromString(u"MOUSE_LEFT"), 0);
    EXPECT_EQ(TMouse::ReturnIntFromString(u"KEY_A"), 0);
    EXPECT_EQ(TKeyboard::ReturnTKeyFromInt(1), nullptr);
    EXPECT_EQ(TMouse::ReturnTKeyFromInt(9), nullptr);
    EXPECT_EQ(TMouse::ReturnTKeyFromString(u"left mouse"), mouse()[0]);
    EXPECT_EQ(TMouse::ReturnNameFromInt(2), u"Right  Mouse");
    EXPECT_EQ(TMouse::ReturnScriptNameFromInt(3), u"");
    EXPECT_EQ(TMouse::ReturnNameFromInt(0), u"");
}

TEST_F(KeyTableTest, EmptyAndUnknownTextsFindNothing) {
    EXPECT_EQ(TKeyboard::ReturnIntFromString(u""), 0);
    EXPECT_EQ(TMouse::ReturnIntFromString(u""), 0);
    EXPECT_EQ(TKeyboard::ReturnTKeyFromString(u"Escape"), nullptr);
    EXPECT_EQ(TKeyboard::ReturnNameFromInt(-1), u"");
}

TEST_F(KeyTableTest, TypedCharacterCodesFindKeysByVirtualKeyCode) {
    EXPECT_EQ(TKeyboard::ReturnTKeyFromInt(u'p')->ScriptName, u"KEY_F1");
    EXPECT_EQ(TKeyboard::ReturnTKeyFromInt(u'z')->ScriptName, u"KEY_F11");
    EXPECT_EQ(TKeyboard::ReturnTKeyFromInt(u'{')->ScriptName, u"KEY_F12");
    for (char16_t c = u'a'; c <= u'o'; ++c) {
        EXPECT_EQ(TKeyboard::ReturnTKeyFromInt(c), nullptr) << char(c);
    }
    EXPECT_EQ(TKeyboard::ReturnTKeyFromInt(u'%')->ScriptName, u"KEY_LEFT");
    EXPECT_EQ(TKeyboard::ReturnTKeyFromInt(u'&')->ScriptName, u"KEY_UP");
    EXPECT_EQ(TKeyboard::ReturnTKeyFromInt(u'\'')->ScriptName, u"KEY_RIGHT");
    EXPECT_EQ(TKeyboard::ReturnTKeyFromInt(u' ')->ScriptName, u"KEY_SPACE");
    EXPECT_EQ(TKeyboard::ReturnTKeyFromInt(u'Q')->ScriptName, u"KEY_Q");
    EXPECT_EQ(TKeyboard::ReturnTKeyFromInt(9)->ScriptName, u"KEY_TAB");
}

TEST_F(KeyTableTest, RowsAreSharedNotCopied) {
    KeyRef f5 = TKeyboard::ReturnTKeyFromInt(116);
    EXPECT_EQ(TKeyboard::ReturnTKeyFromString(u"KEY_F5"), f5);
    EXPECT_EQ(TKeyboard::ReturnTKeyFromString(u"f5"), f5);
    EXPECT_EQ(f5, keyboard()[53]);
}

TEST_F(KeyTableTest, AddAppendsWithoutCheckingForDuplicates) {
    KeyRef again = TKeyboard::Add(u"Tab", u"KEY_TAB", 200);
    EXPECT_EQ(keyboard().back(), again);
    EXPECT_EQ(again->Key, 200);
    EXPECT_EQ(TKeyboard::ReturnIntFromString(u"Tab"), 9);
    EXPECT_EQ(TKeyboard::ReturnTKeyFromInt(200), again);
    KeyRef button = TMouse::AddKey(u"Middle", u"MOUSE_MIDDLE", 3);
    EXPECT_EQ(mouse().size(), 3u);
    EXPECT_EQ(TMouse::ReturnScriptNameFromInt(3), u"MOUSE_MIDDLE");
    EXPECT_EQ(button->KeyExtra, 0);
}

} // namespace
} // namespace keyweave
