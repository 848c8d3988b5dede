#include "platform/gtk/portal_shortcut.h"

#include <gtest/gtest.h>

namespace keyweave::gtk {
namespace {

KeySet Keys(std::initializer_list<int> codes) {
    KeySet keys;
    for (int code : codes) {
        keys.set(static_cast<std::size_t>(code));
    }
    return keys;
}

TEST(PreferredTrigger, ModifiersComeFirstWhateverTheirSideThenTheKeysByTheirKeysyms) {
    EXPECT_EQ(PreferredTrigger({}), "");
    EXPECT_EQ(PreferredTrigger(Keys({123})), "F12");
    EXPECT_EQ(PreferredTrigger(Keys({112, 162})), "CTRL+F1");
    EXPECT_EQ(PreferredTrigger(Keys({'A', 161, 163, 164})), "CTRL+ALT+SHIFT+a");
    EXPECT_EQ(PreferredTrigger(Keys({91, '1'})), "LOGO+1");
    // A modifier alone is still a trigger.
    EXPECT_EQ(PreferredTrigger(Keys({160})), "SHIFT");
    // A code no key has adds nothing.
    EXPECT_EQ(PreferredTrigger(Keys({255, 'Z'})), "z");
}

} // namespace
} // namespace keyweave::gtk
