#include "runtime/gui/text_ranges.h"

#include <gtest/gtest.h>

namespace keyweave {
namespace {

TEST(NormaliseLineBreaks, EveryLineBreakBecomesOneLineFeed) {
    EXPECT_EQ(NormaliseLineBreaks(u"a\r\nb\rc\nd"), u"a\nb\nc\nd");
    EXPECT_EQ(NormaliseLineBreaks(u"\r\r\n\n"), u"\n\n\n");
    EXPECT_EQ(NormaliseLineBreaks(u"end\r"), u"end\n");
    EXPECT_EQ(NormaliseLineBreaks(u""), u"");
}

TEST(RangeOf, CharactersWithANegativeLengthRunToTheEnd) {
    std::u16string text = u"KeyDown( KEY_A )\nSleep( 5 )\n";
    auto whole = RangeOf(text, 0, -1, false);
    EXPECT_EQ(whole.begin, 0);
    EXPECT_EQ(whole.end, static_cast<int>(text.size()));
    auto word = RangeOf(text, 0, 7, false);
    EXPECT_EQ(word.end, 7);
    auto tail = RangeOf(text, 17, -1, false);
    EXPECT_EQ(tail.begin, 17);
    EXPECT_EQ(tail.end, static_cast<int>(text.size()));
}

TEST(RangeOf, RangesAreClippedToTheText) {
    auto beyond = RangeOf(u"abc", 2, 10, false);
    EXPECT_EQ(beyond.begin, 2);
    EXPECT_EQ(beyond.end, 3);
    auto past = RangeOf(u"abc", 7, 1, false);
    EXPECT_EQ(past.begin, 3);
    EXPECT_EQ(past.end, 3);
    auto negative = RangeOf(u"abc", -4, 2, false);
    EXPECT_EQ(negative.begin, 0);
    EXPECT_EQ(negative.end, 2);
    auto huge = RangeOf(u"abc", 1, 0x7FFFFFFF, false);
    EXPECT_EQ(huge.end, 3);
}

TEST(RangeOf, LinesIncludeTheirBreak) {
    std::u16string text = u"one\ntwo\nthree";
    auto second = RangeOf(text, 1, 1, true);
    EXPECT_EQ(text.substr(second.begin, second.end - second.begin), u"two\n");
    auto rest = RangeOf(text, 1, -1, true);
    EXPECT_EQ(text.substr(rest.begin), u"two\nthree");
    EXPECT_EQ(rest.end, static_cast<int>(text.size()));
    auto missing = RangeOf(text, 5, 1, true);
    EXPECT_EQ(missing.begin, static_cast<int>(text.size()));
    EXPECT_EQ(missing.end, static_cast<int>(text.size()));
}

} // namespace
} // namespace keyweave
