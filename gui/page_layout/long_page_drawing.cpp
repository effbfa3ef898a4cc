// SPDX-License-Identifier: GPL-3.0-or-later
// The long-page layout's drawing, hit-testing and caret: short lines through their own layouts,
// a long line in pieces of kLineSliceChars characters, each shaped on its own when it is needed.
#include "gui/page_layout/long_page_layout.h"

#include "gui/page_layout/long_lines.h"

#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextLayout>

#include <algorithm>
#include <climits>
#include <cmath>

namespace quorvel {
namespace {

// The parts of the selections that fall into the document's range from..to, relative to from.
QList<QTextLayout::FormatRange>
selectionsWithin(const QList<QAbstractTextDocumentLayout::Selection>& selections, int from, int to)
{
    QList<QTextLayout::FormatRange> ranges;
    for (const auto& selection : selections) {
        const int a = std::max(selection.cursor.selectionStart(), from);
        const int b = std::min(selection.cursor.selectionEnd(), to);
        if (a < b)
            ranges.append({a - from, b - a, selection.format});
    }
    return ranges;
}

// The slice of a long line the caret at rel (from the line's start) is drawn in: the one holding
// the character after it, the last one at the end of the line.
int caretSlice(const QTextBlock& block, int rel)
{
    const int last = std::max(0, (block.length() - 2) / kLineSliceChars);
    return std::min(rel / kLineSliceChars, last);
}

} // namespace

void LongPageLayout::shapeSlice(QTextLayout& slice, const QTextBlock& block, int n) const
{
    const int length = block.length() - 1;
    const int from = std::min(n * kLineSliceChars, length);
    const int to = std::min(from + kLineSliceChars, length);
    const int start = block.position();
    // A line separator would break the slice into lines that its neighbours do not follow.
    slice.setText(TextBetween(document(), start + from, start + to)
                      .replace(QChar::LineSeparator, QLatin1Char(' ')));
    slice.setFont(document()->defaultFont());
    QList<QTextLayout::FormatRange> formats;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const int begin = std::max(fragment.position() - start, from);
        const int end = std::min(fragment.position() + fragment.length() - start, to);
        if (end <= from)
            continue;
        if (begin >= to)
            break;
        formats.append({begin - from, end - begin, fragment.charFormat()});
    }
    slice.setFormats(formats);
    QTextOption option = document()->defaultTextOption();
    option.setWrapMode(QTextOption::ManualWrap);
    option.setTextDirection(Qt::LeftToRight);
    option.setTabs(block.blockFormat().tabPositions());
    slice.setTextOption(option);
    slice.beginLayout();
    QTextLine line = slice.createLine();
    if (line.isValid()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(qreal(INT_MAX));
        line.setPosition(QPointF(0, 0));
    }
    slice.endLayout();
}

double LongPageLayout::sliceX(const QTextBlock& block, int n) const
{
    const double advance = measure(block).width() / std::max(1, block.length() - 1);
    return double(n) * kLineSliceChars * advance;
}

int LongPageLayout::sliceAt(const QTextBlock& block, double x) const
{
    const double step = sliceX(block, 1);
    const int last = caretSlice(block, block.length() - 1);
    return step > 0 ? int(std::clamp(std::floor(x / step), 0.0, double(last))) : 0;
}

QRectF LongPageLayout::caretRect(int position) const
{
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid())
        return {};
    const QRectF box = blockBoundingRect(block);
    const int rel = position - block.position();
    if (IsLongLine(block)) {
        const int n = caretSlice(block, rel);
        QTextLayout slice(QString(), document()->defaultFont(), paintDevice());
        shapeSlice(slice, block, n);
        const QTextLine line = slice.lineAt(0);
        return {box.left() + sliceX(block, n) + line.cursorToX(rel - n * kLineSliceChars),
                box.top(), 1, line.height()};
    }
    const QTextLine line = block.layout()->lineForTextPosition(rel);
    if (!line.isValid())
        return {box.topLeft(), QSizeF(1, box.height())};
    return {box.left() + line.cursorToX(rel), box.top() + line.y(), 1, line.height()};
}

int LongPageLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const
{
    const qreal margin = document()->documentMargin();
    const QTextBlock block = document()->findBlockByNumber(blockAt(point.y() - margin));
    if (!block.isValid())
        return -1;
    if (IsLongLine(block)) {
        const double x = point.x() - margin;
        const int n = sliceAt(block, x);
        QTextLayout slice(QString(), document()->defaultFont(), paintDevice());
        shapeSlice(slice, block, n);
        const QTextLine line = slice.lineAt(0);
        const QPointF at(x - sliceX(block, n), point.y() - margin - top(block.blockNumber()));
        if (accuracy == Qt::ExactHit && !line.naturalTextRect().contains(at))
            return -1;
        return block.position() + n * kLineSliceChars + line.xToCursor(at.x());
    }
    layOut(block);
    const QTextLayout* layout = block.layout();
    const QPointF at = point - layout->position();
    for (int i = 0; i < layout->lineCount(); ++i) {
        const QTextLine line = layout->lineAt(i);
        if (at.y() >= line.y() + line.height() && i + 1 < layout->lineCount())
            continue;
        if (accuracy == Qt::ExactHit && !line.naturalTextRect().contains(at))
            return -1;
        return block.position() + line.xToCursor(at.x());
    }
    return accuracy == Qt::ExactHit ? -1 : block.position();
}

void LongPageLayout::draw(QPainter* painter, const PaintContext& context)
{
    const QTextDocument* doc = document();
    const qreal margin = doc->documentMargin();
    const QRectF clip =
        context.clip.isValid() ? context.clip : QRectF(QPointF(0, 0), documentSize());
    painter->save();
    painter->setPen(context.palette.color(QPalette::Text));
    for (QTextBlock block = doc->findBlockByNumber(blockAt(clip.top() - margin));
         block.isValid() && top(block.blockNumber()) + margin <= clip.bottom();
         block = block.next()) {
        if (IsLongLine(block)) {
            drawLongLine(painter, context, block, clip);
            continue;
        }
        layOut(block);
        QTextLayout* layout = block.layout();
        const int start = block.position();
        const int end = start + block.length();
        layout->draw(painter, QPointF(0, 0), selectionsWithin(context.selections, start, end),
                     clip);
        if (context.cursorPosition >= start && context.cursorPosition < end)
            layout->drawCursor(painter, QPointF(0, 0), context.cursorPosition - start, 1);
    }
    painter->restore();
}

void LongPageLayout::drawLongLine(QPainter* painter, const PaintContext& context,
                                  const QTextBlock& block, const QRectF& clip) const
{
    const qreal margin = document()->documentMargin();
    const QPointF origin(margin, top(block.blockNumber()) + margin);
    const int start = block.position();
    const int end = start + block.length();
    const int last = caretSlice(block, block.length() - 1);
    // One slice more on the left: a shaped slice may reach beyond its estimated width.
    int n = sliceAt(block, clip.left() - origin.x() - sliceX(block, 1));
    const int caret = context.cursorPosition >= start && context.cursorPosition < end
                          ? caretSlice(block, context.cursorPosition - start)
                          : -1;
    for (; n <= last && origin.x() + sliceX(block, n) <= clip.right(); ++n) {
        QTextLayout slice(QString(), document()->defaultFont(), paintDevice());
        shapeSlice(slice, block, n);
        const int from = start + n * kLineSliceChars;
        const int to = std::min(from + kLineSliceChars, end);
        // Drawn from its own origin: the painter's transformation keeps the large offset in
        // doubles, where the toolkit's text drawing would round it to a fixed-point type.
        const QPointF at = origin + QPointF(sliceX(block, n), 0);
        painter->save();
        painter->translate(at);
        slice.draw(painter, QPointF(0, 0), selectionsWithin(context.selections, from, to),
                   clip.translated(-at));
        if (n == caret)
            slice.drawCursor(painter, QPointF(0, 0), context.cursorPosition - from, 1);
        painter->restore();
    }
}

} // namespace quorvel
