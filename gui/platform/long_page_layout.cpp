#include "platform/long_page_layout.h"

#include <QFontMetricsF>
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

// The height the toolkit's layout gives a line: ascent, descent and leading, rounded up.
double lineHeight(qreal ascent, qreal descent, qreal leading)
{
    return std::ceil(ascent + descent + leading);
}

} // namespace

LongPageLayout::LongPageLayout(QTextDocument* doc) : QAbstractTextDocumentLayout(doc) {}

QSizeF LongPageLayout::measure(const QTextBlock& block) const
{
    // Most lines share a handful of formats: the metrics are looked up by format index, and a
    // format is built only the first time its index is seen.
    const auto metricsOf = [this](int index, const auto& format) {
        const auto found = m_formatMetrics.constFind(index);
        if (found != m_formatMetrics.constEnd())
            return *found;
        const QFontMetricsF fm(format().font().resolve(document()->defaultFont()), paintDevice());
        const QSizeF metrics(fm.averageCharWidth(),
                             lineHeight(fm.ascent(), fm.descent(), qMax<qreal>(fm.leading(), 0)));
        m_formatMetrics.insert(index, metrics);
        return metrics;
    };
    if (block.length() == 1) // an empty line is as high as its own character format
        return {0, metricsOf(block.charFormatIndex(), [&block] {
                       return block.charFormat();
                   }).height()};
    double height = 0;
    double width = 0;
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QSizeF metrics =
            metricsOf(fragment.charFormatIndex(), [&fragment] { return fragment.charFormat(); });
        height = std::max(height, metrics.height());
        width += metrics.width() * fragment.length();
    }
    return {width, height};
}

void LongPageLayout::layOut(const QTextBlock& block) const
{
    QTextLayout* layout = block.layout();
    if (layout->lineCount() == 0) {
        QTextOption option = document()->defaultTextOption();
        option.setWrapMode(QTextOption::ManualWrap);
        option.setTextDirection(block.textDirection());
        option.setTabs(block.blockFormat().tabPositions());
        layout->setTextOption(option);
        double height = 0;
        double width = 0;
        layout->beginLayout();
        for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
            line.setLeadingIncluded(true);
            line.setLineWidth(qreal(INT_MAX)); // unwrapped: only line separators break
            line.setPosition(QPointF(0, height));
            height += lineHeight(line.ascent(), line.descent(), line.leading());
            width = std::max(width, line.naturalTextWidth());
        }
        layout->endLayout();
        const auto n = static_cast<std::size_t>(block.blockNumber());
        if (n < m_heights.size() && m_heights[n] != height) {
            m_heights[n] = height;
            m_topsValidTo = std::min(m_topsValidTo, n);
        }
        m_width = std::max(m_width, width);
    }
    const qreal margin = document()->documentMargin();
    layout->setPosition(QPointF(margin, top(block.blockNumber()) + margin));
}

double LongPageLayout::top(int blockNumber) const
{
    const auto n = static_cast<std::size_t>(std::clamp(blockNumber, 0, int(m_heights.size())));
    if (n > m_topsValidTo) {
        for (std::size_t k = m_topsValidTo; k < m_heights.size(); ++k)
            m_tops[k + 1] = m_tops[k] + m_heights[k];
        m_topsValidTo = m_heights.size();
    }
    return m_tops[n];
}

int LongPageLayout::blockAt(qreal y) const
{
    if (m_heights.empty())
        return 0;
    top(int(m_heights.size())); // all tops valid
    const auto found = std::upper_bound(m_tops.begin(), m_tops.end() - 1, y);
    return std::max(0, int(found - m_tops.begin()) - 1);
}

void LongPageLayout::documentChanged(int from, int charsRemoved, int charsAdded)
{
    Q_UNUSED(charsRemoved);
    const QTextDocument* doc = document();
    const int count = doc->blockCount();
    QTextBlock first = doc->findBlock(from);
    if (!first.isValid())
        first = doc->lastBlock();
    QTextBlock last = doc->findBlock(from + charsAdded);
    if (!last.isValid())
        last = doc->lastBlock();
    int begin = first.blockNumber();
    const int end = last.blockNumber() + 1;
    // The old lines begin..oldEnd became the new lines begin..end.
    int oldEnd = end - (count - int(m_heights.size()));
    if (m_heights.empty() || oldEnd < begin || oldEnd > int(m_heights.size())) {
        begin = 0;
        oldEnd = int(m_heights.size());
        first = doc->begin();
        m_width = 0;
    }
    std::vector<double> heights;
    heights.reserve(static_cast<std::size_t>(end - begin));
    QTextBlock block = first;
    for (int n = begin; n < end && block.isValid(); ++n, block = block.next()) {
        const QSizeF size = measure(block);
        heights.push_back(size.height());
        m_width = std::max(m_width, size.width());
    }
    const auto at = m_heights.begin() + begin;
    m_heights.erase(at, m_heights.begin() + oldEnd);
    m_heights.insert(m_heights.begin() + begin, heights.begin(), heights.end());
    m_tops.resize(m_heights.size() + 1);
    m_tops[0] = 0;
    m_topsValidTo = std::min(m_topsValidTo, static_cast<std::size_t>(begin));
    const qreal margin = doc->documentMargin();
    emit update(QRectF(0, top(begin) + margin, qreal(INT_MAX), qreal(INT_MAX)));
    sizeMayHaveChanged();
}

void LongPageLayout::sizeMayHaveChanged() const
{
    const QSizeF size = documentSize();
    if (size == m_reportedSize)
        return;
    m_reportedSize = size;
    emit const_cast<LongPageLayout*>(this)->documentSizeChanged(size);
}

QSizeF LongPageLayout::documentSize() const
{
    const qreal margin = document()->documentMargin();
    return {m_width + 2 * margin, top(int(m_heights.size())) + 2 * margin};
}

QRectF LongPageLayout::frameBoundingRect(QTextFrame*) const
{
    return {QPointF(0, 0), documentSize()};
}

QRectF LongPageLayout::blockBoundingRect(const QTextBlock& block) const
{
    if (!block.isValid())
        return {};
    layOut(block);
    const QTextLayout* layout = block.layout();
    return {layout->position(), QSizeF(std::max(m_width, layout->boundingRect().width()),
                                       m_heights[static_cast<std::size_t>(block.blockNumber())])};
}

int LongPageLayout::hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const
{
    const qreal margin = document()->documentMargin();
    const QTextBlock block = document()->findBlockByNumber(blockAt(point.y() - margin));
    if (!block.isValid())
        return -1;
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
        layOut(block);
        QTextLayout* layout = block.layout();
        const int start = block.position();
        const int end = start + block.length();
        QList<QTextLayout::FormatRange> selections;
        for (const Selection& selection : context.selections) {
            const int from = std::max(selection.cursor.selectionStart(), start);
            const int to = std::min(selection.cursor.selectionEnd(), end);
            if (from < to)
                selections.append({from - start, to - from, selection.format});
        }
        layout->draw(painter, QPointF(0, 0), selections, clip);
        if (context.cursorPosition >= start && context.cursorPosition < end)
            layout->drawCursor(painter, QPointF(0, 0), context.cursorPosition - start, 1);
    }
    painter->restore();
}

} // namespace quorvel
