// SPDX-License-Identifier: GPL-3.0-or-later
// The in-memory ini document: how a file is read, looked up, changed and written back.
#include "engine/settings_store/ini_document.h"
#include "engine/settings_store/ini_values.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace quorvel {
namespace {

using namespace std::string_literals;

IniDocument parse(std::u16string_view text)
{
    return IniDocument::fromText(text);
}

TEST(IniDocumentReading, TrimsSkipsCommentsAndSplitsAtTheFirstEquals)
{
    const IniDocument doc = parse(u"orphan=before any section\r\n"
                                  u"  [  Form1  ]  \r\n"
                                  u"\t top =  177 \x01\r\n"
                                  u"nbsp=\u00A0kept\u00A0\r\n"
                                  u"; top=999\r\n"
                                  u"\r\n"
                                  u"   \r\n"
                                  u"formula = a = b + c\r\n"
                                  u"novalue\r\n"
                                  u"=keyless\r\n");
    EXPECT_EQ(doc.sectionNames(), std::vector<std::u16string>{u"Form1"});
    EXPECT_EQ(doc.readString(u"Form1", u"top", u"-"), u"177");
    EXPECT_EQ(doc.readString(u"Form1", u"nbsp", u"-"), u"\u00A0kept\u00A0");
    EXPECT_EQ(doc.readString(u"Form1", u"formula", u"-"), u"a = b + c");
    EXPECT_TRUE(doc.keyExists(u"Form1", u"novalue"));
    EXPECT_EQ(doc.readString(u"Form1", u"novalue", u"-"), u"");
    EXPECT_EQ(doc.readString(u"Form1", u"", u"-"), u"keyless");
    EXPECT_FALSE(doc.keyExists(u"Form1", u"orphan"));
    EXPECT_FALSE(doc.keyExists(u"Form1", u"; top"));
    EXPECT_EQ(doc.keyCount(u"Form1"), 5u);
}

TEST(IniDocumentReading, AcceptsEveryLineEnd)
{
    for (const std::u16string& text : {u"[S]\r\na=1\r\nb=2\r\n"s, u"[S]\na=1\nb=2"s,
                                       u"[S]\ra=1\rb=2\r"s, u"[S]\r\n\n\ra=1\n\rb=2"s}) {
        const IniDocument doc = parse(text);
        EXPECT_EQ(doc.readString(u"S", u"a", u"-"), u"1");
        EXPECT_EQ(doc.readString(u"S", u"b", u"-"), u"2");
        EXPECT_EQ(doc.keyCount(u"S"), 2u);
    }
}

TEST(IniDocumentReading, BracketsOnlyOpenASectionWhenTheyEncloseTheWholeLine)
{
    const IniDocument doc = parse(u"[A]\r\n[B\r\nx]\r\n[]\r\nempty=1\r\n[\r\n");
    EXPECT_TRUE(doc.keyExists(u"A", u"[B"));
    EXPECT_TRUE(doc.keyExists(u"A", u"x]"));
    EXPECT_TRUE(doc.keyExists(u"", u"empty"));
    EXPECT_TRUE(doc.keyExists(u"", u"["));
}

TEST(IniDocumentLookup, IgnoresLetterCase)
{
    const IniDocument doc = parse(u"[Form2]\r\nCBOnTop=1\r\n[Größe]\r\nÄNDERUNG=ja\r\nŠUM=1\r\n"
                                  u"[ΔΩ]\r\nДА=1\r\n");
    EXPECT_EQ(doc.readString(u"FORM2", u"cbontop", u"-"), u"1");
    EXPECT_EQ(doc.readString(u"größe", u"änderung", u"-"), u"ja");
    EXPECT_EQ(doc.readString(u"GRÖßE", u"šum", u"-"), u"1");
    EXPECT_EQ(doc.readString(u"δω", u"да", u"-"), u"1");
    EXPECT_FALSE(doc.keyExists(u"Form2", u"CBOnTop2"));
    EXPECT_FALSE(doc.keyExists(u"Form", u"CBOnTop"));
}

TEST(IniDocumentLookup, FirstOfTwoEqualKeysWinsAndSectionsNamedAgainContinue)
{
    IniDocument doc = parse(u"[A]\r\nk=1\r\nK=2\r\n[B]\r\nb=1\r\n[a]\r\nlater=3\r\n");
    EXPECT_EQ(doc.readString(u"A", u"k", u"-"), u"1");
    EXPECT_EQ(doc.readString(u"A", u"later", u"-"), u"3");
    EXPECT_EQ(doc.sectionNames(), (std::vector<std::u16string>{u"A", u"B"}));
    doc.writeString(u"A", u"K", u"9");
    EXPECT_EQ(doc.toText(), u"[A]\r\nK=9\r\nK=2\r\nlater=3\r\n\r\n[B]\r\nb=1\r\n\r\n");
}

TEST(IniDocumentWriting, ReplacesInPlaceAndAppendsKeysAndSections)
{
    IniDocument doc = parse(u"[Form1]\r\ntop=1\r\nleft=2\r\n[Form2]\r\nx=1\r\n");
    doc.writeString(u"form1", u"TOP", u"5");
    doc.writeString(u"Form1", u"width", u"3");
    doc.writeString(u"Formel", u"count", u"0");
    EXPECT_EQ(doc.toText(), u"[Form1]\r\nTOP=5\r\nleft=2\r\nwidth=3\r\n\r\n"
                            u"[Form2]\r\nx=1\r\n\r\n"
                            u"[Formel]\r\ncount=0\r\n\r\n");
    EXPECT_EQ(parse(doc.toText()).toText(), doc.toText());
}

TEST(IniDocumentWriting, EmptyDocumentAndEmptySections)
{
    EXPECT_EQ(IniDocument().toText(), u"");
    EXPECT_EQ(IniDocument().toBytes(), "");
    EXPECT_TRUE(IniDocument::fromBytes("").isEmpty());
    EXPECT_EQ(parse(u"[Leer]").toText(), u"[Leer]\r\n\r\n");
}

TEST(IniDocumentWriting, ValuesKeepInnerBlanksButLoseOuterOnesWhenReadBack)
{
    IniDocument doc;
    doc.writeString(u"S", u"quoted", u"\"  x  \"");
    doc.writeString(u"S", u"plain", u"  x  ");
    EXPECT_EQ(doc.readString(u"S", u"plain", u""), u"  x  ");
    const IniDocument back = parse(doc.toText());
    EXPECT_EQ(back.readString(u"S", u"quoted", u""), u"\"  x  \"");
    EXPECT_EQ(back.readString(u"S", u"plain", u""), u"x");
}

TEST(IniDocumentValues, IntegersInDecimalAndHexadecimal)
{
    IniDocument doc = parse(u"[S]\r\ndec=-42\r\nplus=+7\r\nhex=0x1F\r\nHEX=0XfF\r\nbare=0x\r\n"
                            u"word=abc\r\nempty=\r\nbig=2147483648\r\nsmall=-2147483648\r\n"
                            u"comma=2,5\r\nallbits=0xFFFFFFFF\r\ntoolong=0x100000000\r\n"
                            u"count=2000000000\r\nnegative=-5\r\n");
    EXPECT_EQ(doc.readInteger(u"S", u"dec", 0), -42);
    EXPECT_EQ(doc.readInteger(u"S", u"plus", 0), 7);
    EXPECT_EQ(doc.readInteger(u"S", u"hex", 0), 31);
    EXPECT_EQ(doc.readInteger(u"S", u"Hex", 0), 31);
    EXPECT_EQ(doc.readInteger(u"S", u"allbits", 0), -1);
    EXPECT_EQ(doc.readInteger(u"S", u"small", 0), -2147483647 - 1);
    EXPECT_EQ(doc.readInteger(u"S", u"count", 0), 2000000000);
    EXPECT_EQ(doc.readInteger(u"S", u"negative", 0), -5);
    for (const char16_t* key :
         {u"bare", u"word", u"empty", u"big", u"comma", u"toolong", u"missing"})
        EXPECT_EQ(doc.readInteger(u"S", key, 123), 123) << std::string(key, key + 1);
    doc.writeInteger(u"S", u"new", -17);
    EXPECT_EQ(doc.readString(u"S", u"new", u""), u"-17");
}

TEST(IniDocumentValues, BooleansAsOneAndZero)
{
    IniDocument doc = parse(u"[S]\r\none=1\r\nzero=0\r\ntwo=2\r\nminus=-1\r\nyes=yes\r\n"
                            u"true=true\r\nhex=0x0\r\n");
    EXPECT_TRUE(doc.readBool(u"S", u"one", false));
    EXPECT_FALSE(doc.readBool(u"S", u"zero", true));
    EXPECT_TRUE(doc.readBool(u"S", u"two", false));
    EXPECT_TRUE(doc.readBool(u"S", u"minus", false));
    EXPECT_FALSE(doc.readBool(u"S", u"hex", true));
    for (bool fallback : {false, true}) {
        EXPECT_EQ(doc.readBool(u"S", u"yes", fallback), fallback);
        EXPECT_EQ(doc.readBool(u"S", u"true", fallback), fallback);
        EXPECT_EQ(doc.readBool(u"S", u"missing", fallback), fallback);
    }
    doc.writeBool(u"S", u"on", true);
    doc.writeBool(u"S", u"off", false);
    EXPECT_EQ(doc.readString(u"S", u"on", u""), u"1");
    EXPECT_EQ(doc.readString(u"S", u"off", u""), u"0");
}

TEST(IniDocumentValues, RealsInTheGeneralFormat)
{
    IniDocument doc = parse(u"[S]\r\nnan=NAN\r\nempty=\r\ncomma=2,5\r\nword=abc\r\n"
                            u"exp=-1.5E-7\r\ninf=INF\r\n");
    EXPECT_EQ(doc.readReal(u"S", u"nan", 7), 0.0);
    EXPECT_EQ(doc.readReal(u"S", u"empty", 7), 0.0);
    EXPECT_EQ(doc.readReal(u"S", u"comma", 7), 0.0);
    EXPECT_EQ(doc.readReal(u"S", u"word", 7), 0.0);
    EXPECT_EQ(doc.readReal(u"S", u"inf", 7), 0.0);
    EXPECT_EQ(doc.readReal(u"S", u"exp", 7), -1.5e-7);
    // A missing key gives the default, by way of its 15-digit text.
    EXPECT_EQ(doc.readReal(u"S", u"missing", 2.5), 2.5);
    EXPECT_EQ(doc.readReal(u"S", u"missing", 0.1 + 0.2), 0.3);
    EXPECT_EQ(doc.readReal(u"S", u"missing", std::numeric_limits<double>::quiet_NaN()), 0.0);
    doc.writeReal(u"S", u"pi", 3.14159265358979323846);
    EXPECT_EQ(doc.readString(u"S", u"pi", u""), u"3.14159265358979");
    doc.writeReal(u"S", u"big", 1e20);
    EXPECT_EQ(doc.readReal(u"S", u"big", 0), 1e20);
}

TEST(IniDocumentEncoding, Windows1252WhenEveryCharacterFitsElseUtf8WithBom)
{
    IniDocument doc;
    doc.writeString(u"Einheiten", u"line0", u"€ = 1");
    EXPECT_EQ(doc.toBytes(), "[Einheiten]\r\nline0=\x80 = 1\r\n\r\n");
    doc.writeString(u"Einheiten", u"line1", u"Ω = V/A");
    const std::string utf8 = doc.toBytes();
    EXPECT_EQ(utf8, "\xEF\xBB\xBF[Einheiten]\r\nline0=\xE2\x82\xAC = 1\r\n"
                    "line1=\xCE\xA9 = V/A\r\n\r\n");
    const IniDocument back = IniDocument::fromBytes(utf8);
    EXPECT_EQ(back.readString(u"Einheiten", u"line0", u""), u"€ = 1");
    EXPECT_EQ(back.readString(u"Einheiten", u"line1", u""), u"Ω = V/A");
    EXPECT_EQ(back.toBytes(), utf8);
}

TEST(IniDocumentEncoding, Utf8WithoutBomIsReadAsUtf8)
{
    const IniDocument doc = IniDocument::fromBytes("[S]\nk=Gr\xC3\xB6\xC3\x9F"
                                                   "e\n");
    EXPECT_EQ(doc.readString(u"S", u"k", u""), u"Größe");
    EXPECT_EQ(doc.toBytes(), "[S]\r\nk=Gr\xF6\xDF"
                             "e\r\n\r\n");
}

TEST(IniDocumentEncoding, ByteOrderMarkBeforeWindows1252BytesReadsAsWindows1252)
{
    // An editor added the mark to a file of the older installations; "²" must survive, or every
    // unit definition with a square fails.
    const IniDocument doc = IniDocument::fromBytes("\xEF\xBB\xBF[Form4]\nSiListBox.line0=m\xB2\n");
    EXPECT_EQ(doc.readString(u"Form4", u"SiListBox.line0", u""), u"m²");
}

TEST(IniDocumentEncoding, Windows1252BytesThatLookLikeUtf8GetTheByteOrderMark)
{
    // "Ã©" in Windows-1252 is C3 A9, valid UTF-8 for "é"; written so, it would come back as "é".
    IniDocument doc;
    doc.writeString(u"S", u"k", u"Ã©");
    EXPECT_EQ(doc.toBytes(), "\xEF\xBB\xBF[S]\r\nk=\xC3\x83\xC2\xA9\r\n\r\n");
    EXPECT_EQ(IniDocument::fromBytes(doc.toBytes()).readString(u"S", u"k", u""), u"Ã©");
}

TEST(IniDocumentRobustness, AnyBytesGiveADocument)
{
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.push_back(static_cast<char>((i * 7919 + 13) % 256));
    const IniDocument doc = IniDocument::fromBytes(garbage);
    EXPECT_EQ(IniDocument::fromBytes(doc.toBytes()).toText(), doc.toText());

    const IniDocument cut = IniDocument::fromBytes("[Form1]\r\ntop=17\r\nleft=4");
    EXPECT_EQ(cut.readInteger(u"Form1", u"left", 0), 4);
    const IniDocument cutHeader = IniDocument::fromBytes("[Form1]\r\ntop=17\r\n[Fo");
    EXPECT_EQ(cutHeader.readInteger(u"Form1", u"[Fo", -1), -1);
    EXPECT_TRUE(cutHeader.keyExists(u"Form1", u"[Fo"));
}

TEST(IniDocumentRobustness, TenMegabytesOfManyKeysStayFast)
{
    std::string file = "[Big]\r\n";
    file.reserve(10'100'000);
    int keys = 0;
    while (file.size() < 10'000'000) {
        file += "SiListBox.line" + std::to_string(keys) + "=N = kg*m/s\xB2\r\n";
        ++keys;
    }
    const auto start = std::chrono::steady_clock::now();
    IniDocument doc = IniDocument::fromBytes(file);
    for (int i = 0; i < keys; i += 97)
        ASSERT_TRUE(doc.keyExists(u"big", u"SILISTBOX.LINE" + formatIniInteger(i)));
    for (int i = 0; i < 10'000; ++i)
        doc.writeInteger(u"Big", u"new" + std::u16string(1, static_cast<char16_t>(u'a' + i % 26)),
                         i);
    EXPECT_EQ(doc.keyCount(u"Big"), static_cast<std::size_t>(keys) + 26);
    EXPECT_EQ(doc.toBytes().substr(0, file.size()), file);
    const auto seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    // Linear: under a second optimised, half a minute in a debug build with sanitizers; a
    // lookup that walked the keys would take hours.
    EXPECT_LT(seconds, 120.0);
}

} // namespace
} // namespace quorvel
