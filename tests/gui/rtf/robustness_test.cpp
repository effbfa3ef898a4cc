// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile and broken RTF: the reader keeps what it can and never crashes or hangs.
#include "tests/gui/rtf/rtf_test_support.h"

#include "gui/rtf/reader.h"
#include "gui/rtf/writer.h"

#include <QTextDocument>

#include <gtest/gtest.h>

#include <random>

namespace quorvel::test {
namespace {

QString TextOf(const QByteArray& rtf)
{
    return Read(rtf)->toPlainText();
}

TEST(RtfRobustness, FlattensGroupsBeyondTheDepthLimit)
{
    const int depth = 100000;
    const QByteArray deep =
        "{\\rtf1 " + QByteArray(depth, '{') + "x" + QByteArray(depth, '}') + "y}";
    EXPECT_EQ(TextOf(deep), QStringLiteral("xy"));

    // Deep inside, formats may leak between groups; once back above the limit they are restored.
    const QByteArray formats =
        "{\\rtf1 " + QByteArray(2000, '{') + "\\b a" + QByteArray(2000, '}') + "b}";
    const Page page = PageOf(*Read(formats));
    ASSERT_EQ(page.size(), 1u);
    ASSERT_EQ(page[0].size(), 2u);
    EXPECT_TRUE(page[0][0].bold);
    EXPECT_FALSE(page[0][1].bold);

    // A skipped destination deep down ends at its own brace.
    EXPECT_EQ(TextOf("{\\rtf1 " + QByteArray(1000, '{') + "{\\*\\x {{}}}z" + QByteArray(1000, '}') +
                     "w}"),
              QStringLiteral("zw"));
}

TEST(RtfRobustness, StopsAtBinaryDataBeyondTheEnd)
{
    EXPECT_EQ(TextOf("{\\rtf1 a\\bin999999 xyz"), QStringLiteral("a"));
    EXPECT_EQ(TextOf("{\\rtf1 a\\bin99999999999999999999 xyz}"), QStringLiteral("a"));
    EXPECT_EQ(TextOf("{\\rtf1 a\\bin-5 b}"), QStringLiteral("ab"));
    // The braces are the picture's bytes, not the group's end.
    EXPECT_EQ(TextOf("{\\rtf1 a{\\pict\\bin4 }}}}}b}"), QStringLiteral("a\uFFFCb"));
}

TEST(RtfRobustness, KeepsWhatATruncatedFileHas)
{
    EXPECT_EQ(TextOf("{\\rtf1 abc"), QStringLiteral("abc"));
    EXPECT_EQ(TextOf("{\\rtf1 abc\\"), QStringLiteral("abc"));
    EXPECT_EQ(TextOf("{\\rtf1 abc\\'"), QStringLiteral("abc"));
    EXPECT_EQ(TextOf("{\\rtf1 abc\\'4"), QStringLiteral("abc4"));
    EXPECT_EQ(TextOf("{\\rtf1 abc\\'zzd}"), QStringLiteral("abczzd"));
    EXPECT_EQ(TextOf("{\\rtf1 abc\\u"), QStringLiteral("abc"));
    EXPECT_EQ(TextOf("{\\rtf1 abc\\u937"), QStringLiteral("abcΩ"));
    EXPECT_EQ(TextOf("{\\rtf1 abc\\fs-"), QStringLiteral("abc-"));
    EXPECT_EQ(TextOf("{\\rtf1{\\fonttbl{\\f0\\fcharset161 Ar"), QString());
    EXPECT_EQ(TextOf("{\\rtf1{\\colortbl;\\red255"), QString());
    EXPECT_EQ(TextOf("{\\rtf1 a{\\*\\x b"), QStringLiteral("a"));
    EXPECT_EQ(TextOf("{\\rtf"), QString());
}

TEST(RtfRobustness, IgnoresWhatFollowsTheDocument)
{
    EXPECT_EQ(TextOf("{\\rtf1 a}b}{c"), QStringLiteral("a"));
}

TEST(RtfRobustness, ClampsNumbers)
{
    const Page page = PageOf(*Read("{\\rtf1 \\fs99999999999999999999 a\\fs-4 b\\cf-5 c"
                                   "\\f-2147483649 d\\u99999999 e\\u-99999 f\\uc-3\\u937 g}"));
    ASSERT_EQ(page.size(), 1u);
    ASSERT_EQ(page[0].size(), 2u);
    EXPECT_EQ(page[0][0].points, 1638);
    EXPECT_EQ(page[0][0].text, QStringLiteral("a"));
    EXPECT_EQ(page[0][1].points, 12);
    EXPECT_EQ(page[0][1].text, QStringLiteral("bcdΩg"));
}

TEST(RtfRobustness, SkipsAHugeFallbackOnlyToTheGroupEnd)
{
    EXPECT_EQ(TextOf("{\\rtf1 {\\uc2147483647\\u937 abc\\par\\'41}d}"), QStringLiteral("Ωd"));
}

TEST(RtfRobustness, ReadsMegabytesOfText)
{
    QByteArray big = "{\\rtf1\\ansi ";
    const QByteArray chunk = "abcdefghij\\'e4\\b0 ";
    const int chunks = 250'000; // 4.5 MB
    big.reserve(chunks * chunk.size() + 100);
    for (int k = 0; k < chunks; ++k)
        big += chunk;
    big += "}";
    EXPECT_EQ(TextOf(big).size(), chunks * 11);

    QByteArray lines = "{\\rtf1 ";
    for (int k = 0; k < 100000; ++k)
        lines += "\\par x";
    lines += "}";
    EXPECT_EQ(Read(lines)->blockCount(), 100001);
}

TEST(RtfRobustness, KeepsTheDocumentUsableAfterStructureCharacters)
{
    const auto doc =
        Read("{\\rtf1\\uc0 a\\u10 b\\u13 c\\u8233 d\\u64976 e\\u64977 f\\u0 g\\u8232 h}");
    EXPECT_EQ(LinesOf(*doc),
              (QStringList{"abc", QStringLiteral("def") + QChar(0) + "g", QStringLiteral("h")}));
}

// A small fuzzer in the test suite: random bytes and random RTF fragments after "{\rtf1".
TEST(RtfRobustness, SurvivesRandomInput)
{
    // clang-format off
    const char* pieces[] = {"{", "}", "\\", "\\'", "\\'e4", "\\u", "\\u-5", "\\uc9", "\\bin",
                            "\\bin3 ", "\\par", "\\*", "\\f", "\\fs", "\\cf", "\\fonttbl",
                            "\\colortbl", "\\red", ";", "\\b", "\\super", "\\plain", "x", " ", "9",
                            "-", "\\fldinst", "\\fldrslt", "\\pict", "\r\n", "\\uc0", "\\deff",
                            "\\ansicpg1253", "\\*\\quorveldiagramm", "\\pngblip", "\\picwgoal",
                            "\\picscalex", "\\*\\shppict", "\\formel"};
    // clang-format on
    std::mt19937 random(12345);
    for (int round = 0; round < 3000; ++round) {
        QByteArray rtf = "{\\rtf1";
        const int length = static_cast<int>(random() % 80);
        for (int k = 0; k < length; ++k) {
            if (round % 2 == 0)
                rtf += pieces[random() % std::size(pieces)];
            else
                rtf += static_cast<char>(random() % 256);
        }
        QTextDocument doc;
        ASSERT_TRUE(ReadRtf(rtf, doc)) << rtf.toHex().toStdString();
        ASSERT_GE(doc.blockCount(), 1);
        // Whatever was read survives the writer unchanged.
        const QByteArray written = WriteRtf(doc);
        QTextDocument again;
        ASSERT_TRUE(ReadRtf(written, again));
        ASSERT_EQ(WriteRtf(again), written) << rtf.toHex().toStdString();
    }
}

TEST(RtfRobustness, FontNamesLoseSurroundingBlanksAndControlCharacters)
{
    const auto doc = Read("{\\rtf1{\\fonttbl{\\f0\\tab  Arial ;}}x}");
    EXPECT_EQ(PageOf(*doc), (Page{{{.text = "x", .family = "Arial", .points = 12}}}));
    const auto controls =
        Read("{\\rtf1{\\fonttbl{\\f0 Ar\\'0d\\u13?\\u8232?\\u1?\\tab\\line i\\'09al;}}x}");
    EXPECT_EQ(PageOf(*controls), (Page{{{.text = "x", .family = "Arial", .points = 12}}}));
    // The writer drops them too, so that a second write equals the first.
    const QByteArray rtf = WriteRtf(*DocumentOf({{{.text = "x", .family = "\t Arial "}}}));
    EXPECT_TRUE(rtf.contains("\\fcharset0 Arial;}")) << rtf.toStdString();
}

} // namespace
} // namespace quorvel::test
