// SPDX-License-Identifier: GPL-3.0-or-later
// Pages as lists of lines of formatted runs, to build documents for the RTF writer and to compare
// what the reader made of a file.
#pragma once

#include <QColor>
#include <QString>
#include <QTextCharFormat>

#include <memory>
#include <ostream>
#include <vector>

class QTextDocument;

namespace quorvel::test {

// One run of text with the formats the RTF layer keeps. The defaults are what the test files'
// \plain\f0\fs22 gives: Courier New 11 pt, not bold, automatic colour.
struct TextRun
{
    QString text = {};
    QString family = QStringLiteral("Courier New");
    double points = 11;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    QColor colour = {}; // invalid: automatic
    int charset = 0;
    QTextCharFormat::VerticalAlignment script = QTextCharFormat::AlignNormal;

    bool operator==(const TextRun&) const = default;
};

using Line = std::vector<TextRun>;
using Page = std::vector<Line>;

const QColor kRed(255, 0, 0);

QTextCharFormat FormatOf(const TextRun& run);
// A new document with these lines (at least one block, as every QTextDocument has) and the
// worksheet's default font, Courier New 11 pt bold.
std::unique_ptr<QTextDocument> DocumentOf(const Page& page);
// The document's lines, with adjacent fragments of equal format joined into one run.
Page PageOf(const QTextDocument& doc);
QStringList LinesOf(const QTextDocument& doc);

// ReadRtf into a fresh document whose default font is the worksheet's (Courier New 11 pt bold);
// the test fails when ReadRtf does.
std::unique_ptr<QTextDocument> Read(const QByteArray& rtf);

void PrintTo(const TextRun& run, std::ostream* out);

} // namespace quorvel::test

QT_BEGIN_NAMESPACE
// So that GoogleTest prints texts readably.
void PrintTo(const QString& text, std::ostream* out);
QT_END_NAMESPACE
