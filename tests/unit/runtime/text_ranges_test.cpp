#include "runtime/gui/styled_text.h"
#include "runtime/gui/text_ranges.h"

#include <gtest/gtest.h>
#include <tuple>
#include <utility>

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

TEST(StyledText, TheLastStyleOfACharacterWinsAndRunsCoverTheText) {
    StyledText text(u"KeyDown( KEY_A )\n");
    const TextStyle yellow{{255, 255, 0}, 0};
    const TextStyle white{{255, 255, 255}, 1};
    text.SetStyle({0, 8}, white);
    text.SetStyle({0, 7}, yellow);
    text.SetStyle({15, 99}, white);
    text.SetStyle({3, 3}, white);
    std::vector<std::tuple<int, int, const TextStyle*>> runs;
    for (const auto& run : text.Runs()) {
        runs.emplace_back(run.begin, run.end, run.style);
    }
    ASSERT_EQ(runs.size(), 4u);
    EXPECT_EQ(runs[0], std::make_tuple(0, 7, &text.Styles()[1]));
    EXPECT_EQ(*std::get<2>(runs[0]), yellow);
    EXPECT_EQ(runs[1], std::make_tuple(7, 8, &text.Styles()[0]));
    EXPECT_EQ(runs[2], std::make_tuple(8, 15, nullptr));
    EXPECT_EQ(runs[3], std::make_tuple(15, 17, &text.Styles()[0]));
    EXPECT_TRUE(StyledText(u"").Runs().empty());

    // A stretch's runs are cut at its ends; a part beyond the text is clipped to it.
    runs.clear();
    for (const auto& run : text.Runs({3, 10})) {
        runs.emplace_back(run.begin, run.end, run.style);
    }
    EXPECT_EQ(runs, (std::vector<std::tuple<int, int, const TextStyle*>>{
                        {3, 7, &text.Styles()[1]}, {7, 8, &text.Styles()[0]}, {8, 10, nullptr}}));
    EXPECT_EQ(text.Runs({16, 99}).size(), 1u);
    EXPECT_TRUE(text.Runs({17, 99}).empty());
    EXPECT_TRUE(text.Runs({5, 5}).empty());
}

std::pair<int, int> Ends(TextRange range) {
    return {range.begin, range.end};
}

// A long text goes to its control in stretches of whole lines, the last one ending with the
// text, or all that is still missing at once.
TEST(StreamedText, ATextIsCutIntoStretchesOfWholeLines) {
    constexpr int kLine = 17;
    constexpr int kStretch = StreamedText::kStretchLines * kLine;
    std::u16string text;
    for (int line = 0; line < 2 * StreamedText::kStretchLines + 3; ++line) {
        text += u"KeyDown( KEY_A )\n";
    }
    text += u"end";
    const int size = static_cast<int>(text.size());

    StreamedText stretches{StyledText(text)};
    EXPECT_EQ(Ends(stretches.NextStretch()), std::make_pair(0, kStretch));
    EXPECT_EQ(stretches.Sent(), kStretch);
    EXPECT_EQ(Ends(stretches.NextStretch()), std::make_pair(kStretch, 2 * kStretch));
    EXPECT_FALSE(stretches.AllSent());
    EXPECT_EQ(Ends(stretches.NextStretch()), std::make_pair(2 * kStretch, size));
    EXPECT_TRUE(stretches.AllSent());

    StreamedText rest{StyledText(text)};
    rest.NextStretch();
    EXPECT_EQ(Ends(rest.Rest()), std::make_pair(kStretch, size));
    EXPECT_TRUE(rest.AllSent());

    // A text of exactly one stretch, and an empty one, go in whole at once.
    StreamedText one{StyledText(text.substr(0, kStretch))};
    EXPECT_EQ(Ends(one.NextStretch()), std::make_pair(0, kStretch));
    EXPECT_TRUE(one.AllSent());
    StreamedText empty{StyledText(u"")};
    EXPECT_EQ(Ends(empty.NextStretch()), std::make_pair(0, 0));
    EXPECT_TRUE(empty.AllSent());
}

} // namespace
} // namespace keyweave
