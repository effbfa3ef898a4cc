// SPDX-License-Identifier: GPL-3.0-or-later
// The line-break marks of stored formulas: CR and LF to the characters of bytes 141 and 138.
#include "engine/base/line_breaks.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(LineBreaks, EncodeTurnsCarriageReturnAndLineFeedIntoTheMarks)
{
    EXPECT_EQ(EncodeLineBreaks(u"a = 5 m\r\nb = 2*a"), u"a = 5 m\u008D\u0160b = 2*a");
    EXPECT_EQ(EncodeLineBreaks(u"\r\n\r\n"), u"\u008D\u0160\u008D\u0160");
    EXPECT_EQ(EncodeLineBreaks(u"lone\rcr\nlf"), u"lone\u008Dcr\u0160lf");
    EXPECT_EQ(EncodeLineBreaks(u""), u"");
}

TEST(LineBreaks, EncodeCopiesEveryOtherCharacter)
{
    const std::u16string text = u"x² + y³ = 10 €·Ω\t\u2029š\u008C\u0161";
    EXPECT_EQ(EncodeLineBreaks(text), text);
}

TEST(LineBreaks, DecodeTurnsTheMarksBackIntoLineBreaks)
{
    EXPECT_EQ(DecodeLineBreaks(u"a = 5 m\u008D\u0160b = 2*a"), u"a = 5 m\r\nb = 2*a");
    EXPECT_EQ(DecodeLineBreaks(u"\u008D"), u"\r");
    EXPECT_EQ(DecodeLineBreaks(u"\u0160"), u"\n");
    EXPECT_EQ(DecodeLineBreaks(u"x² = šŠ\u008C"), u"x² = š\n\u008C");
}

TEST(LineBreaks, DecodeUndoesEncode)
{
    for (const std::u16string text : {u"", u"one line", u"two\r\nlines\r\n", u"\n\r\r\n x"}) {
        EXPECT_EQ(DecodeLineBreaks(EncodeLineBreaks(text)), text);
    }
}

} // namespace
} // namespace quorvel
