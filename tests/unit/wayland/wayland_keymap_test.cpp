#include "platform/wayland/wayland_keymap.h"

#include <gtest/gtest.h>
#include <memory>
#include <xkbcommon/xkbcommon.h>

namespace keyweave::wayland {
namespace {

// The text of the keymap of a layout, as a compositor would send it.
std::string LayoutText(const char* layout) {
    std::unique_ptr<xkb_context, void (*)(xkb_context*)> context(
        xkb_context_new(XKB_CONTEXT_NO_FLAGS), xkb_context_unref);
    const xkb_rule_names names{"evdev", "pc105", layout, "", ""};
    xkb_keymap* keymap =
        xkb_keymap_new_from_names(context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    EXPECT_NE(keymap, nullptr) << layout;
    char* text = xkb_keymap_get_as_string(keymap, XKB_KEYMAP_FORMAT_TEXT_V1);
    std::string copy = text;
    std::free(text);
    xkb_keymap_unref(keymap);
    return copy;
}

// XKB keycodes of some keys of a pc105 keyboard (evdev code + 8).
constexpr int kKeyA = 38;
constexpr int kKeyY = 29; // the US Y, the German Z
constexpr int kKeyZ = 52; // the US Z, the German Y
constexpr int kLeftShift = 50;
constexpr int kRightShift = 62;
constexpr int kF12 = 96;
constexpr int kRightAlt = 108;

TEST(WaylandKeymap, TheKeyTableFindsItsKeysInTheUsersKeymap) {
    const Keymap us(LayoutText("us"));
    EXPECT_EQ(us.Keys().KeycodeOf('A'), kKeyA);
    EXPECT_EQ(us.Keys().KeycodeOf(123), kF12);
    EXPECT_EQ(us.Keys().KeycodeOf(160), kLeftShift);
    EXPECT_EQ(us.Keys().KeycodeOf(161), kRightShift);
    EXPECT_EQ(us.Keys().KeycodeOf(165), kRightAlt);

    // As on X11, a letter is the key that carries it: German swaps Y and Z.
    const Keymap german(LayoutText("de"));
    EXPECT_EQ(german.Keys().KeycodeOf('Z'), kKeyY);
    EXPECT_EQ(german.Keys().KeycodeOf('Y'), kKeyZ);
    // A layout without Latin letters keeps them on their US places.
    const Keymap russian(LayoutText("ru"));
    EXPECT_EQ(russian.Keys().KeycodeOf('A'), kKeyA);
    EXPECT_EQ(russian.Keys().KeycodeOf('Z'), kKeyZ);
}

TEST(WaylandKeymap, AnotherKeyboardsKeyIsFoundByItsKeysym) {
    const Keymap us(LayoutText("us"));
    EXPECT_EQ(us.KeycodeOf(XKB_KEY_F12), kF12);
    EXPECT_EQ(us.KeycodeOf(XKB_KEY_a), kKeyA);
    EXPECT_EQ(us.KeycodeOf(XKB_KEY_A), kKeyA); // shifted
    EXPECT_EQ(us.KeycodeOf(XKB_KEY_Shift_R), kRightShift);
    EXPECT_EQ(us.KeycodeOf(XKB_KEY_Cyrillic_ef), 0);
    EXPECT_EQ(us.KeycodeOf(0), 0);
}

TEST(WaylandKeymap, ShiftHeldOnEitherSideIsInTheModifiersUntilBothAreUp) {
    Keymap us(LayoutText("us"));
    const std::uint32_t shift = 1; // the first modifier of every XKB keymap
    EXPECT_EQ(us.Press(kKeyA, true).depressed, 0u);
    EXPECT_EQ(us.Press(kKeyA, false).depressed, 0u);
    EXPECT_EQ(us.Press(kLeftShift, true).depressed, shift);
    EXPECT_EQ(us.Press(kRightShift, true).depressed, shift);
    EXPECT_EQ(us.Press(kLeftShift, false).depressed, shift);
    EXPECT_EQ(us.Press(kRightShift, false), Keymap::Modifiers{});
}

// A keymap as wtype makes one for its virtual keyboard, with only the keys it types.
constexpr const char* kToolsKeymap = R"keymap(xkb_keymap {
xkb_keycodes "(unnamed)" { minimum = 8; maximum = 11; <K1> = 9; <K2> = 10; };
xkb_types "(unnamed)" { include "complete" };
xkb_compatibility "(unnamed)" { include "complete" };
xkb_symbols "(unnamed)" { key <K1> {[ F12 ]}; key <K2> {[ h ]}; };
};)keymap";

TEST(WaylandKeymap, TheLayoutsOfKeyboardsAreLayoutsAToolsFewKeysAreNot) {
    for (const char* layout : {"us", "de", "fr", "ru"}) {
        EXPECT_TRUE(Keymap(LayoutText(layout)).IsALayout()) << layout;
    }
    EXPECT_FALSE(Keymap(kToolsKeymap).IsALayout());
}

TEST(WaylandKeymap, AKeymapThatDoesNotCompileIsRefused) {
    EXPECT_THROW(Keymap("xkb_keymap { nonsense"), std::runtime_error);
}

} // namespace
} // namespace keyweave::wayland
