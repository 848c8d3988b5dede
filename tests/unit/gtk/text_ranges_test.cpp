#include "platform/gtk/text_ranges.h"

#include <gtest/gtest.h>

namespace keyweave::gtk {
namespace {

TEST(CodePointsBefore, ASurrogatePairIsOneCharacter) {
    std::u16string text = u"a\U0001F600b\n";
    ASSERT_EQ(text.size(), 5u);
    EXPECT_TRUE(HasSurrogates(text));
    EXPECT_EQ(CodePointsBefore(text, 0), 0);
    EXPECT_EQ(CodePointsBefore(text, 1), 1);
    EXPECT_EQ(CodePointsBefore(text, 3), 2);
    EXPECT_EQ(CodePointsBefore(text, 5), 4);
    EXPECT_EQ(CodePointsBefore(text, 99), 4);
    EXPECT_EQ(CodePointsBefore(text, -1), 0);
}

TEST(CodePointsBefore, WithoutSurrogatesUnitsAreCharacters) {
    std::u16string text = u"Sleep( 100 )\n\u00e9";
    EXPECT_FALSE(HasSurrogates(text));
    EXPECT_EQ(CodePointsBefore(text, 14), 14);
}

} // namespace
} // namespace keyweave::gtk
