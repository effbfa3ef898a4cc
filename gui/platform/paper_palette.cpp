// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/platform/paper_palette.h"

#include <QPalette>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>
#include <QTextTable>

namespace quorvel {
namespace {

bool clearBackground(QTextFormat& format)
{
    const bool had = format.hasProperty(QTextFormat::BackgroundBrush) ||
                     format.hasProperty(QTextFormat::BackgroundImageUrl);
    format.clearProperty(QTextFormat::BackgroundBrush);
    format.clearProperty(QTextFormat::BackgroundImageUrl);
    return had;
}

void dropFrameBackgrounds(QTextFrame& frame)
{
    QTextFrameFormat format = frame.frameFormat();
    if (clearBackground(format))
        frame.setFrameFormat(format);
    if (auto* table = qobject_cast<QTextTable*>(&frame)) {
        for (int row = 0; row < table->rows(); ++row) {
            for (int column = 0; column < table->columns(); ++column) {
                QTextTableCell cell = table->cellAt(row, column);
                QTextCharFormat cellFormat = cell.format();
                if (clearBackground(cellFormat))
                    cell.setFormat(cellFormat);
            }
        }
    }
    for (QTextFrame* child : frame.childFrames())
        dropFrameBackgrounds(*child);
}

} // namespace

void MakePaper(QTextEdit& edit)
{
    // The page's text is written black (and red for errors) on the assumption of a white page;
    // a dark scheme's light default text would vanish on that white, and its dark base would
    // swallow the black.
    QPalette palette = edit.palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    edit.setPalette(palette);
}

void DropBackgrounds(QTextDocument& document)
{
    dropFrameBackgrounds(*document.rootFrame());

    // The ranges are gathered first: changing a format may join a run with its neighbour and
    // would upset a walk over the runs.
    struct Run
    {
        int start;
        int end;
        QTextCharFormat format;
    };
    QList<Run> runs;
    QTextCursor cursor(&document);
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        cursor.setPosition(block.position());
        QTextBlockFormat blockFormat = block.blockFormat();
        if (clearBackground(blockFormat))
            cursor.setBlockFormat(blockFormat);
        QTextCharFormat blockCharFormat = block.charFormat();
        if (clearBackground(blockCharFormat))
            cursor.setBlockCharFormat(blockCharFormat);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment run = it.fragment();
            QTextCharFormat format = run.charFormat();
            if (clearBackground(format))
                runs.append({run.position(), run.position() + run.length(), format});
        }
    }
    for (const Run& run : runs) {
        cursor.setPosition(run.start);
        cursor.setPosition(run.end, QTextCursor::KeepAnchor);
        cursor.setCharFormat(run.format);
    }
}

} // namespace quorvel
