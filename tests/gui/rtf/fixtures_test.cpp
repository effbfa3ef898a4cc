// SPDX-License-Identifier: GPL-3.0-or-later
// RTF written by other programs loads with its text, colours and styles.
#include "tests/gui/rtf/rtf_test_support.h"

#include "gui/rtf/writer.h"

#include <QFile>
#include <QTextDocument>

#include <gtest/gtest.h>

namespace quorvel::test {
namespace {

QByteArray Fixture(const char* name)
{
    QFile file(QStringLiteral(QUORVEL_RTF_FIXTURES "/") + QString::fromUtf8(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll();
}

const QColor kBlue(0, 0, 255);
constexpr auto kSuper = QTextCharFormat::AlignSuperScript;
constexpr auto kSub = QTextCharFormat::AlignSubScript;

TEST(RtfFixtures, LoadsARichEditFile)
{
    const Page expected = {
        {{.text = "Berechnung vom 1.2.2024", .bold = true}},
        {{.text = "l = 3km", .bold = true}},
        {{.text = "t = 20min", .bold = true}},
        {{.text = "v = l/t = 9 km/h", .bold = true}},
        {{.text = "x = 3m + 2", .bold = true},
         {.text = "s = unit confilct", .bold = true, .colour = kRed}},
        {{.text = "Fläche: A = 2m² + 3m² = 5 m²", .bold = true}},
        {{.text = "Notiz: ", .italic = true},
         {.text = "unterstrichen", .underline = true},
         {", "},
         {.text = "blau", .colour = kBlue},
         {", m"},
         {.text = "3", .script = kSuper},
         {" und H"},
         {.text = "2", .script = kSub},
         {"O"}},
        {{.text = "αβγ ", .family = "Arial", .charset = 161}, {"Ωhm –\tEnde"}},
    };
    EXPECT_EQ(PageOf(*Read(Fixture("richedit.rtf"))), expected);
}

TEST(RtfFixtures, LoadsALibreOfficeWriterFile)
{
    auto in_arial = [](TextRun run) {
        run.family = QStringLiteral("Arial");
        run.points = 12;
        return run;
    };
    const Page expected = {
        {{.text = "x = 3m + 2", .points = 12, .bold = true},
         {.text = "s = unit confilct", .points = 12, .bold = true, .colour = kRed}},
        {{.text = "Fläche: A = 2 m² = 20000 cm²", .points = 12, .bold = true}},
        {in_arial({.text = "kursiv", .italic = true}), in_arial({", "}),
         in_arial({.text = "unterstrichen", .underline = true}), in_arial({", "}),
         in_arial({.text = "blau", .colour = kBlue}), in_arial({", m"}),
         in_arial({.text = "3", .script = kSuper}), in_arial({" und H"}),
         in_arial({.text = "2", .script = kSub}), in_arial({"O"})},
        {in_arial({"Griechisch: Ω α β ≤ Δ, Kyrillisch: Привет, Euro: € „Zitat“ – Ende"})},
        {{.text = "groß", .family = "Times New Roman", .points = 18}},
    };
    EXPECT_EQ(PageOf(*Read(Fixture("libreoffice_writer.rtf"))), expected);
}

TEST(RtfFixtures, WritesForeignFilesBackWithTheSameContent)
{
    for (const char* name : {"richedit.rtf", "libreoffice_writer.rtf"}) {
        const auto doc = Read(Fixture(name));
        EXPECT_EQ(PageOf(*Read(WriteRtf(*doc))), PageOf(*doc)) << name;
    }
}

} // namespace
} // namespace quorvel::test
