#include "platform/win32/rich_text.h"

#include <gtest/gtest.h>

namespace keyweave::win32 {
namespace {

TEST(RichTextTest, RunsBecomeColoursAndStylesAndTheTextIsEscaped) {
    StyledText text(u"\tSleep( 1 )\n{\\}é\U0001F600\n");
    text.SetStyle({0, 6}, {{0, 255, 102}, 0});
    text.SetStyle({6, 7}, {{255, 255, 255}, 1 | 4});
    text.SetStyle({12, 15}, {{0, 255, 102}, 2});
    EXPECT_EQ(RichTextOf(text, {0, 19}, {u"Tahoma", 16, 0}),
              "{\\rtf1\\ansi\\deff0\\uc1{\\fonttbl{\\f0\\fnil\\fcharset0 Tahoma;}}"
              "{\\colortbl ;\\red0\\green255\\blue102;\\red255\\green255\\blue255;}"
              "\\pard\\plain\\f0\\fs16 \\cf1 \\tab Sleep\\cf2\\b\\ul (\\cf0\\b0\\ulnone  1 )\\par\n"
              "\\cf1\\i \\{\\\\\\}\\cf0\\i0 \\u233?\\u-10179?\\u-8704?\\par\n}");
    // A part of the text, as a view is streamed a stretch at a time.
    EXPECT_EQ(RichTextOf(text, {13, 16}, {u"Tahoma", 16, 0}),
              "{\\rtf1\\ansi\\deff0\\uc1{\\fonttbl{\\f0\\fnil\\fcharset0 Tahoma;}}"
              "{\\colortbl ;\\red0\\green255\\blue102;\\red255\\green255\\blue255;}"
              "\\pard\\plain\\f0\\fs16 \\cf1\\i \\\\\\}\\cf0\\i0 \\u233?}");
}

} // namespace
} // namespace keyweave::win32
