// SPDX-License-Identifier: GPL-3.0-or-later
// The long-page layout's lines and positions: each line's height measured from its character
// formats, the tops summed from the heights, and a line shaped only when it is asked for.
#include "gui/page_layout/long_page_layout.h"

#include "gui/page_layout/long_lines.h"
#include "gui/page_layout/picture_objects.h"

#include <QFontMetricsF>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextLayout>
#include <QTextObjectInterface>

#include <algorithm>
#include <climits>
#include <cmath>
#include <numeric>

namespace quorvel {
namespace {

// The height the toolkit's layout gives a line: ascent, descent and leading, rounded up.
double lineHeight(qreal ascent, qreal descent, qreal leading)
{
    return std::ceil(ascent + descent + leading);
}

} // namespace

LongPageLayout::LongPageLayout(QTextDocument* doc) : QAbstractTextDocumentLayout(doc)
{
    ShowPicturesOn(*this);
}

// Most lines share a handful of formats: the metrics are looked up by format index, and a format
// is built (format()) only the first time its index is seen.
template <typename Format> QSizeF LongPageLayout::metricsOf(int index, const Format& format) const
{
    const auto found = m_formatMetrics.constFind(index);
    if (found != m_formatMetrics.constEnd())
        return *found;
    const QTextCharFormat charFormat = format();
    const QFontMetricsF fm(charFormat.font().resolve(document()->defaultFont()), paintDevice());
    QSizeF metrics(fm.averageCharWidth(),
                   lineHeight(fm.ascent(), fm.descent(), qMax<qreal>(fm.leading(), 0)));
    // A picture's line is as high as the picture.
    if (QTextObjectInterface* handler =
            charFormat.isImageFormat() ? handlerForObject(QTextFormat::ImageObject) : nullptr) {
        const QSizeF picture = handler->intrinsicSize(document(), 0, charFormat);
        metrics = {picture.width(), std::max(metrics.height(), picture.height())};
    }
    m_formatMetrics.insert(index, metrics);
    return metrics;
}

QSizeF LongPageLayout::measure(const QTextBlock& block) const
{
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

QSizeF LongPageLayout::uniformMetrics() const
{
    const QList<QTextFormat> formats = document()->allFormats();
    QSizeF uniform;
    for (int i = 0; i < int(formats.size()); ++i) {
        if (!formats[i].isCharFormat())
            continue;
        const QSizeF metrics = metricsOf(i, [&formats, i] { return formats[i].toCharFormat(); });
        if (!uniform.isEmpty() && metrics.height() != uniform.height())
            return {};
        uniform = {std::max(uniform.width(), metrics.width()), metrics.height()};
    }
    return uniform;
}

void LongPageLayout::layOut(const QTextBlock& block) const
{
    QTextLayout* layout = block.layout();
    if (IsLongLine(block)) {
        // Lines in its layout would make the toolkit's caret code shape all of it.
        if (layout->lineCount() > 0)
            layout->clearLayout();
    } else if (layout->lineCount() == 0) {
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
        if (n < m_heights.size() && m_heights[n] != float(height)) {
            m_heights[n] = float(height);
            m_validMarks = std::min(m_validMarks, n / kMarkStep + 1);
        }
        m_width = std::max(m_width, width);
    }
    const qreal margin = document()->documentMargin();
    layout->setPosition(QPointF(margin, top(block.blockNumber()) + margin));
}

double LongPageLayout::top(int blockNumber) const
{
    const auto n = static_cast<std::size_t>(std::clamp(blockNumber, 0, int(m_heights.size())));
    const auto heights = m_heights.begin();
    const std::size_t k = n / kMarkStep;
    if (k >= m_validMarks) {
        for (std::size_t j = m_validMarks; j < m_marks.size(); ++j) {
            const auto from = heights + std::ptrdiff_t((j - 1) * kMarkStep);
            m_marks[j] = std::accumulate(from, from + kMarkStep, m_marks[j - 1]);
        }
        m_validMarks = m_marks.size();
    }
    return std::accumulate(heights + std::ptrdiff_t(k * kMarkStep), heights + std::ptrdiff_t(n),
                           m_marks[k]);
}

int LongPageLayout::blockAt(qreal y) const
{
    if (m_heights.empty())
        return 0;
    top(int(m_heights.size())); // all marks valid
    // From the last mark that begins at or before y, line by line to the last such line.
    const auto mark = std::upper_bound(m_marks.begin(), m_marks.end(), y);
    const auto k =
        static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, mark - m_marks.begin() - 1));
    std::size_t n = k * kMarkStep;
    if (n >= m_heights.size())
        return int(m_heights.size()) - 1;
    for (double t = m_marks[k]; n + 1 < m_heights.size() && t + m_heights[n] <= y; ++n)
        t += m_heights[n];
    return int(n);
}

void LongPageLayout::documentChanged(int from, int charsRemoved, int charsAdded)
{
    const QTextDocument* doc = document();
    const int count = doc->blockCount();
    // The metrics of formats that leave the font to the page follow the page's font.
    if (doc->defaultFont() != m_measuredFont) {
        m_measuredFont = doc->defaultFont();
        m_formatMetrics.clear();
    } else if (from == 0 && charsRemoved == 0 && charsAdded == doc->characterCount() &&
               std::size_t(count) == m_heights.size()) {
        // The whole page and nothing removed: no edit looks like this (the page's last character
        // is never added), so the page's width changed, as at every resize of the window. An
        // unwrapped line keeps its height at any width; measuring a million lines again would
        // hold up every step of a resize.
        emit update();
        return;
    }
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
    std::vector<float> heights;
    heights.reserve(static_cast<std::size_t>(end - begin));
    // Walking each line's fragments took a second and more for a million lines; when all
    // character formats are equally high, each line is that high and only its length is read.
    // The width is then estimated with the widest average advance.
    constexpr int kManyLines = 64;
    const QSizeF uniform = end - begin > kManyLines ? uniformMetrics() : QSizeF();
    QTextBlock block = first;
    for (int n = begin; n < end && block.isValid(); ++n, block = block.next()) {
        // An edit leaves the lines of a block's layout in place, only their shapes go.
        block.clearLayout();
        if (!uniform.isEmpty()) {
            heights.push_back(float(uniform.height()));
            m_width = std::max(m_width, (block.length() - 1) * uniform.width());
            continue;
        }
        const QSizeF size = measure(block);
        heights.push_back(float(size.height()));
        m_width = std::max(m_width, size.width());
    }
    const auto at = m_heights.begin() + begin;
    m_heights.erase(at, m_heights.begin() + oldEnd);
    m_heights.insert(m_heights.begin() + begin, heights.begin(), heights.end());
    m_marks.resize(m_heights.size() / kMarkStep + 1);
    m_validMarks = std::min({m_validMarks, std::size_t(begin) / kMarkStep + 1, m_marks.size()});
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

} // namespace quorvel
