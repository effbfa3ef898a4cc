// SPDX-License-Identifier: GPL-3.0-or-later
// The RTF writer: the shape of what it writes, one rule per test.
#include "tests/gui/rtf/rtf_test_support.h"

#include "gui/rtf/writer.h"

#include <QTextCursor>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace quorvel::test {
namespace {

QByteArray Write(const Page& page)
{
    return WriteRtf(*DocumentOf(page));
}

std::string Text(const QByteArray& bytes)
{
    return bytes.toStdString();
}

TEST(RtfWriter, WritesHeaderFontTableAndColourTable)
{
    auto doc = DocumentOf({{{.text = "x", .bold = true, .colour = kRed},
                            {.text = "y", .family = "Arial", .charset = 161}}});
    QFont font(QStringLiteral("Courier New"));
    font.setPointSize(11);
    doc->setDefaultFont(font);
    const std::string rtf = Text(WriteRtf(*doc));
    EXPECT_TRUE(rtf.starts_with(R"({\rtf1\ansi\ansicpg1252\deff0)")) << rtf;
    EXPECT_NE(
        rtf.find(R"({\fonttbl{\f0\fnil\fcharset0 Courier New;}{\f1\fnil\fcharset161 Arial;}})"),
        std::string::npos)
        << rtf;
    EXPECT_NE(rtf.find(R"({\colortbl ;\red255\green0\blue0;})"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find(R"(\viewkind4\uc1\pard)"), std::string::npos) << rtf;
    EXPECT_TRUE(rtf.ends_with("}\n")) << rtf;
}

TEST(RtfWriter, WritesAnEmptyColourTableWithoutColours)
{
    EXPECT_NE(Text(Write({{{"x"}}})).find(R"({\colortbl ;})"), std::string::npos);
}

TEST(RtfWriter, WritesOnlyAscii)
{
    const QByteArray rtf = Write({{{"äöü Ω α ≤ 😀 € \x01"}}, {{.text = "αβ", .charset = 161}}});
    for (const char c : rtf)
        EXPECT_TRUE(static_cast<unsigned char>(c) < 0x80) << Text(rtf);
}

TEST(RtfWriter, EscapesBackslashBracesAndTabs)
{
    const std::string rtf = Text(Write({{{"a\\b{c}\td\t1"}}}));
    EXPECT_NE(rtf.find(R"(a\\b\{c\}\tab d\tab 1)"), std::string::npos) << rtf;
}

TEST(RtfWriter, WritesWindows1252AsHexAndTheRestAsUnicode)
{
    const std::string rtf = Text(Write({{{"ä€²Ω≤😀"}}}));
    EXPECT_NE(rtf.find(R"(\'e4\'80\'b2\u937?\u8804?\u-10179?\u-8704?)"), std::string::npos) << rtf;
}

TEST(RtfWriter, WritesHexInTheCodePageOfTheFont)
{
    // In a Greek font α is a byte of code page 1253, ä is not.
    const std::string rtf = Text(Write({{{.text = "αä", .charset = 161}}}));
    EXPECT_NE(rtf.find(R"(\'e1\u228?)"), std::string::npos) << rtf;
    // A character set without a table here (Symbol) gets no \'hh at all.
    const std::string symbol = Text(Write({{{.text = "pä", .family = "Symbol", .charset = 2}}}));
    EXPECT_NE(symbol.find(R"(p\u228?)"), std::string::npos) << symbol;
}

TEST(RtfWriter, WritesOnlyTheFormatChanges)
{
    const std::string rtf = Text(Write({{{"a"},
                                         {.text = "b", .bold = true},
                                         {.text = "c", .bold = true, .italic = true},
                                         {.text = "d", .underline = true},
                                         {.text = "e", .colour = kRed},
                                         {.text = "f", .script = QTextCharFormat::AlignSuperScript},
                                         {.text = "g", .script = QTextCharFormat::AlignSubScript},
                                         {.text = "h", .points = 10.5}}}));
    EXPECT_NE(rtf.find(R"(\pard\fs22 a\b b\i c\b0\i0\ul d\ulnone\cf1 e\cf0\super f\sub g\fs21)"
                       R"(\nosupersub h\par)"),
              std::string::npos)
        << rtf;
}

TEST(RtfWriter, EndsEveryLineWithPar)
{
    const std::string rtf = Text(Write({{{"a"}}, {}, {{"b"}}}));
    EXPECT_NE(rtf.find("a\\par\n\\par\nb\\par\n}"), std::string::npos) << rtf;
    const std::string empty = Text(WriteRtf(QTextDocument()));
    EXPECT_TRUE(empty.ends_with("\\par\n}\n")) << empty;
}

TEST(RtfWriter, TakesWhatARunDoesNotSetFromTheDefaultFont)
{
    QTextDocument doc;
    QFont font(QStringLiteral("Arial"));
    font.setPointSize(14);
    font.setBold(true);
    font.setItalic(true);
    doc.setDefaultFont(font);
    doc.setPlainText(QStringLiteral("x"));
    const std::string rtf = Text(WriteRtf(doc));
    EXPECT_NE(rtf.find(R"({\f0\fnil\fcharset0 Arial;})"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find(R"(\pard\fs28\b\i x\par)"), std::string::npos) << rtf;
}

TEST(RtfWriter, ConvertsPixelSizesToPoints)
{
    QTextDocument doc;
    QTextCharFormat format;
    format.setProperty(QTextFormat::FontPixelSize, 15);
    QTextCursor(&doc).insertText(QStringLiteral("x"), format);
    const std::string rtf = Text(WriteRtf(doc));
    EXPECT_NE(rtf.find(R"(\fs23 x)"), std::string::npos) << rtf; // 15 px = 11.25 pt
}

TEST(RtfWriter, EscapesFontNames)
{
    const std::string rtf = Text(Write({{{.text = "x", .family = "Sch{r}ift;ä"}}}));
    EXPECT_NE(rtf.find(R"(\fcharset0 Sch\{r\}ift\'e4;})"), std::string::npos) << rtf;
}

} // namespace
} // namespace quorvel::test
