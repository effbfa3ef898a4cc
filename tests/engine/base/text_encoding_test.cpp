// SPDX-License-Identifier: GPL-3.0-or-later
// Windows-1252 and UTF-8 conversions of the engine.
#include "engine/base/text_encoding.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvel {
namespace {

TEST(TextEncoding, Windows1252DecodesEveryByteAndEncodesItBack)
{
    std::string bytes;
    for (int b = 0; b < 256; ++b)
        bytes.push_back(static_cast<char>(b));
    const std::u16string text = DecodeWindows1252(bytes);
    ASSERT_EQ(text.size(), 256u);
    EXPECT_EQ(text[0x80], u'€');
    EXPECT_EQ(text[0x81], u'\u0081');
    EXPECT_EQ(text[0x8A], u'Š');
    EXPECT_EQ(text[0x8D], u'\u008D');
    EXPECT_EQ(text[0x9F], u'Ÿ');
    EXPECT_EQ(text[0xB2], u'²');
    EXPECT_EQ(text[0xE4], u'ä');
    EXPECT_EQ(EncodeWindows1252(text), bytes);
}

TEST(TextEncoding, Windows1252HasNoByteForOtherCharacters)
{
    EXPECT_EQ(Windows1252Byte(u'€'), 0x80);
    EXPECT_EQ(Windows1252Byte(u'ÿ'), 0xFF);
    EXPECT_EQ(Windows1252Byte(u'Ω'), std::nullopt);
    EXPECT_EQ(Windows1252Byte(u'\u0080'), std::nullopt);
    EXPECT_EQ(EncodeWindows1252(u"m² Ω"), std::nullopt);
    EXPECT_EQ(EncodeWindows1252(u"m²"), std::string("m\xB2"));
}

TEST(TextEncoding, Utf8Validity)
{
    EXPECT_TRUE(IsValidUtf8(""));
    EXPECT_TRUE(IsValidUtf8("a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80"));
    EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));         // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));     // surrogate
    EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80")); // above U+10FFFF
    EXPECT_FALSE(IsValidUtf8("\xE2\x82"));         // truncated
    EXPECT_FALSE(IsValidUtf8("\xE4"));             // Windows-1252 "ä"
}

TEST(TextEncoding, Utf8DecodesAndEncodes)
{
    EXPECT_EQ(DecodeUtf8("a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80"), u"aä€😀");
    EXPECT_EQ(DecodeUtf8("a\xFF"
                         "b\xE2\x82"),
              u"a\uFFFDb\uFFFD\uFFFD");
    EXPECT_EQ(DecodeUtf8("\xEF\xBB\xBFx"), u"\uFEFFx");
    EXPECT_EQ(EncodeUtf8(u"aä€😀"), "a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80");
    const char16_t lone[] = {u'a', 0xD800, u'b', 0};
    EXPECT_EQ(EncodeUtf8(lone), "a\xEF\xBF\xBD"
                                "b");
}

// ASCII goes by vector steps of sixteen and eight units, the last overlapping the one before:
// one character outside ASCII, at any place of a text of any length up to three steps, must
// be found and converted, and text already in the output must stay.
TEST(TextEncoding, Utf8OfEveryLengthWithOneCharacterOutsideAscii)
{
    for (std::size_t length = 1; length <= 40; ++length) {
        for (std::size_t at = 0; at <= length; ++at) { // at == length: ASCII alone
            std::u16string text;
            std::string bytes;
            for (std::size_t i = 0; i < length; ++i) {
                const bool outside = i == at;
                text += outside ? u'\u00B2' : static_cast<char16_t>(u'a' + i % 26);
                bytes += outside ? "\xC2\xB2" : std::string(1, static_cast<char>('a' + i % 26));
            }
            std::string encoded = "x";
            AppendUtf8(encoded, text);
            EXPECT_EQ(encoded, "x" + bytes) << length << " " << at;
            std::u16string decoded = u"y";
            EXPECT_TRUE(AppendValidUtf8(decoded, bytes));
            EXPECT_EQ(decoded, u"y" + text) << length << " " << at;
        }
    }
}

TEST(TextEncoding, FilesOfUnknownOrigin)
{
    EXPECT_EQ(DecodeUtf8OrWindows1252("\xEF\xBB\xBFm\xC2\xB2"), u"m²");
    EXPECT_EQ(DecodeUtf8OrWindows1252("m\xC2\xB2"), u"m²");
    EXPECT_EQ(DecodeUtf8OrWindows1252("m\xB2 \xE4"), u"m² ä");
    EXPECT_EQ(DecodeUtf8OrWindows1252("\xEF\xBB\xBFm\xB2"), u"m²");
    EXPECT_EQ(DecodeTextFile(std::string("\xFF\xFEm\0\xB2\0\xAC\x20\n\0", 10)), u"m²€\n");
    EXPECT_EQ(DecodeTextFile(std::string("\xFE\xFF\0m\0\xB2\x20\xAC\0", 9)), u"m²€");
    EXPECT_EQ(DecodeTextFile("m\xB2"), u"m²");
}

} // namespace
} // namespace quorvel
