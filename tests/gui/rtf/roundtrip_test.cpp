// SPDX-License-Identifier: GPL-3.0-or-later
// Whatever the writer writes reads back as the same lines and runs.
#include "tests/gui/rtf/rtf_test_support.h"

#include "gui/rtf/reader.h"
#include "gui/rtf/writer.h"

#include <QTextDocument>

#include <gtest/gtest.h>

namespace quorvel::test {
namespace {

Page RoundTrip(const Page& page)
{
    return PageOf(*Read(WriteRtf(*DocumentOf(page))));
}

constexpr auto kSuper = QTextCharFormat::AlignSuperScript;
constexpr auto kSub = QTextCharFormat::AlignSubScript;

// A worksheet page as the main window leaves it: results in black, failed lines with the
// faulty span in red, prose with other fonts, and empty lines.
const Page kWorksheet = {
    {{.text = "Kraft: F = 3kg*9.81m/s² = 29.43 N", .bold = true}},
    {{.text = "v = 3m + 2", .bold = true},
     {.text = "s", .bold = true, .colour = kRed},
     {.text = " + 1 = unit confilct", .bold = true}},
    {},
    {{.text = "Fläche ", .family = "Arial", .points = 14, .italic = true},
     {.text = "A = 2 m", .family = "Arial", .points = 14},
     {.text = "2", .family = "Arial", .points = 14, .script = kSuper},
     {.text = " H", .family = "Arial", .points = 14},
     {.text = "2", .family = "Arial", .points = 14, .script = kSub},
     {.text = "O", .family = "Arial", .points = 14, .underline = true}},
    {{.text = "Ω α ≤ 😀 ∑ € ä ß ² ³ \u0081 \u00A0\u00AD\u2011", .points = 10.5}},
    {{.text = "Winkel αβγ ä Ω", .family = "Arial", .colour = QColor(0, 128, 0), .charset = 161},
     {.text = " Привет", .family = "Times New Roman", .charset = 204},
     {.text = " Zażółć", .family = "Tahoma", .charset = 238},
     {.text = " π", .family = "Symbol", .charset = 2}},
    {{.text = "\ttab\\back{brace}\t",
      .points = 24.5,
      .bold = true,
      .italic = true,
      .underline = true}},
    {{.text = "Schrift mit ä", .family = "Schrift ä{x}"}},
    {},
};

TEST(RtfRoundTrip, KeepsAFormattedWorksheet)
{
    EXPECT_EQ(RoundTrip(kWorksheet), kWorksheet);
}

TEST(RtfRoundTrip, KeepsRedErrorMarks)
{
    const Page page = {{{.text = "x = 1/", .bold = true},
                        {.text = "0", .bold = true, .colour = QColor(255, 0, 0)},
                        {.text = " = Division by zero in SiDiv", .bold = true}}};
    const Page back = RoundTrip(page);
    EXPECT_EQ(back, page);
    ASSERT_EQ(back.size(), 1u);
    ASSERT_EQ(back[0].size(), 3u);
    EXPECT_EQ(back[0][1].colour, QColor(255, 0, 0));
}

TEST(RtfRoundTrip, IsStableFromTheSecondWriteOn)
{
    const QByteArray first = WriteRtf(*DocumentOf(kWorksheet));
    const QByteArray second = WriteRtf(*Read(first));
    EXPECT_EQ(second, first);
}

TEST(RtfRoundTrip, KeepsTheNumberOfLines)
{
    std::vector<Page> pages = {
        {{}},
        {{}, {}},
        {{{"a"}}},
        {{{"a"}}, {}},
        {{{"a"}}, {}, {}},
        {{}, {{"b"}}},
        {{{"a"}}, {{"b"}}, {{"c"}}},
    };
    // Longer than the pieces the reader hands to the document at a time: one long line, and
    // many lines of one format that end in a red run.
    pages.push_back({{{QString(70000, u'x')}}});
    Page lines(70000, Line{{"12 m"}});
    lines.back().push_back({.text = "s", .colour = kRed});
    pages.push_back(lines);
    for (const Page& page : pages) {
        const auto doc = Read(WriteRtf(*DocumentOf(page)));
        EXPECT_EQ(static_cast<std::size_t>(doc->blockCount()), page.size());
        EXPECT_EQ(PageOf(*doc), page);
    }
}

TEST(RtfRoundTrip, KeepsAPlainDocumentsText)
{
    QTextDocument doc;
    const QString text = QStringLiteral("erste Zeile\nzweite Zeile ä Ω\n\nvierte\n");
    doc.setPlainText(text);
    EXPECT_EQ(Read(WriteRtf(doc))->toPlainText(), text);
}

TEST(RtfRoundTrip, KeepsEveryStyleCombination)
{
    Line line;
    for (int bits = 0; bits < 64; ++bits) {
        line.push_back({.text = QString::number(bits) + " ",
                        .bold = (bits & 1) != 0,
                        .italic = (bits & 2) != 0,
                        .underline = (bits & 4) != 0,
                        .colour = (bits & 8) != 0 ? kRed : QColor(),
                        .script = (bits & 16) != 0   ? kSuper
                                  : (bits & 32) != 0 ? kSub
                                                     : QTextCharFormat::AlignNormal});
    }
    const Page page = {line};
    EXPECT_EQ(RoundTrip(page), page);
}

// Every UTF-16 code unit a line can hold, in fonts of several character sets: what the code
// page has goes out as \'hh, the rest as \uN?, and all of it comes back.
TEST(RtfRoundTrip, KeepsEveryCharacterInEveryCharacterSet)
{
    QString all;
    for (char32_t c = 1; c <= 0xFFFD; ++c) {
        const bool structure =
            c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029 || c == 0xFDD0 || c == 0xFDD1;
        const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
        if (!structure && !surrogate)
            all.append(QChar(static_cast<char16_t>(c)));
    }
    all.append(QString::fromUcs4(U"😀𝄞"));
    for (const int charset : {0, 1, 2, 128, 161, 162, 186, 204, 238}) {
        const Page page = {{{.text = all, .family = "Arial", .charset = charset}}};
        const Page back = RoundTrip(page);
        ASSERT_EQ(back.size(), 1u);
        ASSERT_EQ(back[0].size(), 1u);
        EXPECT_TRUE(back[0][0].text == all) << "charset " << charset;
        EXPECT_EQ(back[0][0].charset, charset);
    }
}

} // namespace
} // namespace quorvel::test
