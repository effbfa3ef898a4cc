// SPDX-License-Identifier: GPL-3.0-or-later
// Build tool: turns a help text written in Markdown into the RTF help file the help window
// shows. Headings, list bullets and code spans are written out as plain formatted runs, since
// the help window shows a plain rich-text page.
#include "gui/rtf/writer.h"

#include <QFile>
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

#include <cstdio>

namespace {

QTextCharFormat baseFormat()
{
    QTextCharFormat format;
    format.setFontFamilies({QStringLiteral("Arial")});
    format.setFontPointSize(10);
    format.setForeground(QColor(0, 0, 0));
    return format;
}

// Copies one Markdown block as runs, with the heading size, code font and bullet made explicit.
void copyBlock(const QTextBlock& block, QTextCursor& out)
{
    const int heading = block.blockFormat().headingLevel();
    if (block.textList() != nullptr)
        out.insertText(QStringLiteral("\u2022 "), baseFormat());
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        QTextCharFormat format = baseFormat();
        const QTextCharFormat source = fragment.charFormat();
        if (source.fontWeight() >= QFont::Bold || heading > 0)
            format.setFontWeight(QFont::Bold);
        if (source.fontItalic())
            format.setFontItalic(true);
        if (source.fontFixedPitch())
            format.setFontFamilies({QStringLiteral("Courier New")});
        if (heading == 1)
            format.setFontPointSize(16);
        else if (heading == 2)
            format.setFontPointSize(12);
        out.insertText(fragment.text(), format);
    }
}

} // namespace

int main(int argc, char** argv)
{
    // Fonts need a GUI application; no display is needed for that.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fputs("usage: make_help SOURCE.md TARGET.hlp\n", stderr);
        return 2;
    }
    QFile source(QString::fromLocal8Bit(argv[1]));
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "make_help: cannot read %s\n", argv[1]);
        return 1;
    }
    QTextDocument markdown;
    markdown.setMarkdown(QString::fromUtf8(source.readAll()));

    QTextDocument help;
    QTextCursor out(&help);
    bool first = true;
    bool previousWasListItem = false;
    for (QTextBlock block = markdown.begin(); block.isValid(); block = block.next()) {
        const bool listItem = block.textList() != nullptr;
        if (!first) {
            out.insertBlock();
            // An empty line between paragraphs, but list items stay together.
            if (!(listItem && previousWasListItem)) {
                out.setCharFormat(baseFormat());
                out.insertBlock();
            }
        }
        copyBlock(block, out);
        first = false;
        previousWasListItem = listItem;
    }

    QFile target(QString::fromLocal8Bit(argv[2]));
    if (!target.open(QIODevice::WriteOnly) || target.write(quorvel::WriteRtf(help)) < 0) {
        std::fprintf(stderr, "make_help: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
