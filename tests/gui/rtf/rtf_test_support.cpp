// SPDX-License-Identifier: GPL-3.0-or-later
// Building and taking apart formatted test documents.
#include "tests/gui/rtf/rtf_test_support.h"

#include "gui/rtf/format.h"
#include "gui/rtf/reader.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>

#include <gtest/gtest.h>

namespace quorvel::test {

QTextCharFormat FormatOf(const TextRun& run)
{
    QTextCharFormat format;
    format.setFontFamilies({run.family});
    format.setFontPointSize(run.points);
    format.setFontWeight(run.bold ? QFont::Bold : QFont::Normal);
    format.setFontItalic(run.italic);
    format.setFontUnderline(run.underline);
    if (run.colour.isValid())
        format.setForeground(run.colour);
    SetRtfCharset(format, run.charset);
    format.setVerticalAlignment(run.script);
    return format;
}

namespace {

QFont worksheetFont()
{
    QFont font(QStringLiteral("Courier New"));
    font.setPointSize(11);
    font.setBold(true);
    return font;
}

} // namespace

std::unique_ptr<QTextDocument> DocumentOf(const Page& page)
{
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(worksheetFont());
    QTextCursor cursor(doc.get());
    for (std::size_t k = 0; k < page.size(); ++k) {
        if (k > 0)
            cursor.insertBlock();
        for (const TextRun& run : page[k])
            cursor.insertText(run.text, FormatOf(run));
    }
    return doc;
}

namespace {

TextRun runOf(const QTextFragment& fragment)
{
    const QTextCharFormat format = fragment.charFormat();
    TextRun run;
    run.text = fragment.text();
    run.family = format.property(QTextFormat::FontFamilies).toStringList().value(0);
    run.points = format.fontPointSize();
    run.bold = format.fontWeight() > QFont::Medium;
    run.italic = format.fontItalic();
    run.underline = format.fontUnderline();
    run.colour =
        format.hasProperty(QTextFormat::ForegroundBrush) ? format.foreground().color() : QColor();
    run.charset = RtfCharset(format);
    run.script = format.verticalAlignment();
    return run;
}

} // namespace

Page PageOf(const QTextDocument& doc)
{
    Page page;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        Line line;
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            TextRun run = runOf(it.fragment());
            TextRun joined = run;
            if (!line.empty()) {
                joined.text = line.back().text;
                if (joined == line.back()) {
                    line.back().text += run.text;
                    continue;
                }
            }
            line.push_back(run);
        }
        page.push_back(line);
    }
    return page;
}

QStringList LinesOf(const QTextDocument& doc)
{
    QStringList lines;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next())
        lines << block.text();
    return lines;
}

std::unique_ptr<QTextDocument> Read(const QByteArray& rtf)
{
    auto doc = std::make_unique<QTextDocument>();
    doc->setDefaultFont(worksheetFont());
    QString error;
    EXPECT_TRUE(ReadRtf(rtf, *doc, &error)) << error.toStdString();
    return doc;
}

void PrintTo(const TextRun& run, std::ostream* out)
{
    *out << '"' << run.text.toStdString() << "\" " << run.family.toStdString() << ' ' << run.points
         << "pt" << (run.bold ? " bold" : "") << (run.italic ? " italic" : "")
         << (run.underline ? " underline" : "");
    if (run.colour.isValid())
        *out << ' ' << run.colour.name().toStdString();
    if (run.charset != 0)
        *out << " charset " << run.charset;
    if (run.script == QTextCharFormat::AlignSuperScript)
        *out << " super";
    if (run.script == QTextCharFormat::AlignSubScript)
        *out << " sub";
}

} // namespace quorvel::test

QT_BEGIN_NAMESPACE
void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE
