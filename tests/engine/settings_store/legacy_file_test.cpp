// SPDX-License-Identifier: GPL-3.0-or-later
// A settings file as the original program wrote it: Windows-1252 bytes, CR LF, a unit line with
// "€" and a stored formula whose line breaks are the bytes 141 and 138.
#include "engine/settings_store/ini_document.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace quorvel {
namespace {

std::string legacyBytes()
{
    std::ifstream in(QUORVEL_SETTINGS_TEST_DATA "/legacy_quorvel.ini", std::ios::binary);
    EXPECT_TRUE(in.good());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(LegacySettingsFile, LoadsWithTheRightCharacters)
{
    const std::string bytes = legacyBytes();
    ASSERT_NE(bytes.find("\r\n"), std::string::npos);
    const IniDocument doc = IniDocument::fromBytes(bytes);
    EXPECT_EQ(doc.sectionNames(),
              (std::vector<std::u16string>{u"Form1", u"Form2", u"Form4", u"Formel"}));
    EXPECT_EQ(doc.readInteger(u"Form1", u"height", 0), 437);
    EXPECT_EQ(doc.readString(u"Form2", u"Komma", u""), u"\"2\"");
    EXPECT_TRUE(doc.readBool(u"Form2", u"visible", false));
    EXPECT_EQ(doc.readInteger(u"Form4", u"SiListBox.count", 0), 4);
    EXPECT_EQ(doc.readString(u"Form4", u"SiListBox.line0", u""), u"N = kg*m/s²");
    EXPECT_EQ(doc.readString(u"Form4", u"SiListBox.line1", u""), u"€ = 1");
    EXPECT_EQ(doc.readString(u"Form4", u"SiListBox.line2", u""), u"Stück = 1");
    EXPECT_EQ(doc.readString(u"Form4", u"SiListBox.line3", u""), u"l = m³/1000");
    EXPECT_EQ(doc.readString(u"Formel", u"titel0", u""), u"Kreisfläche");
    // The line-break marks: byte 141 is U+008D, byte 138 is "Š" (U+0160).
    EXPECT_EQ(doc.readString(u"Formel", u"text0", u""), u"A = Pi*r²\u008D\u0160U = 2*Pi*r");
}

TEST(LegacySettingsFile, IsWrittenBackByteForByte)
{
    const std::string bytes = legacyBytes();
    EXPECT_EQ(IniDocument::fromBytes(bytes).toBytes(), bytes);
}

TEST(LegacySettingsFile, ChangingOneValueChangesOnlyItsLine)
{
    const std::string bytes = legacyBytes();
    IniDocument doc = IniDocument::fromBytes(bytes);
    doc.writeInteger(u"FORM1", u"TOP", 20);
    std::string expected = bytes;
    expected.replace(expected.find("top=177"), 7, "TOP=20");
    EXPECT_EQ(doc.toBytes(), expected);
}

TEST(LegacySettingsFile, BecomesUtf8OnlyWhenACharacterDoesNotFit)
{
    IniDocument doc = IniDocument::fromBytes(legacyBytes());
    doc.writeString(u"Form4", u"SiListBox.line4", u"Ω = V/A");
    const std::string utf8 = doc.toBytes();
    ASSERT_EQ(utf8.substr(0, 3), "\xEF\xBB\xBF");
    const IniDocument back = IniDocument::fromBytes(utf8);
    EXPECT_EQ(back.toText(), doc.toText());
    EXPECT_EQ(back.readString(u"Formel", u"text0", u""), u"A = Pi*r²\u008D\u0160U = 2*Pi*r");
    EXPECT_EQ(back.readString(u"Form4", u"SiListBox.line1", u""), u"€ = 1");
}

} // namespace
} // namespace quorvel
