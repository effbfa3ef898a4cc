// SPDX-License-Identifier: GPL-3.0-or-later
#include "page_layout/long_page_layout.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFragment>
#include <QTextLayout>
#include <QTimer>

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

bool isLongLine(const QTextBlock& block)
{
    return block.length() > kLongLineChars;
}

// Whether a line from block on, up to the one holding position end, is too long to shape whole.
bool hasLongLine(QTextBlock block, int end)
{
    for (; block.isValid() && block.position() <= end; block = block.next()) {
        if (isLongLine(block))
            return true;
    }
    return false;
}

// What a double click selects and a word move skips over on a long line.
bool isWordCharacter(QChar c)
{
    return c.isLetterOrNumber();
}

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

// The text from..to of the document, read from its pieces without copying the rest of the line.
QString textBetween(const QTextDocument* doc, int from, int to)
{
    QTextCursor cursor(const_cast<QTextDocument*>(doc));
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

} // namespace

bool IsLongPage(const QTextDocument& doc)
{
    return doc.blockCount() > kLongPageLines || (doc.characterCount() > kLongLineChars &&
                                                 hasLongLine(doc.begin(), doc.characterCount()));
}

LongPageLayout::LongPageLayout(QTextDocument* doc) : QAbstractTextDocumentLayout(doc) {}

// Most lines share a handful of formats: the metrics are looked up by format index, and a format
// is built (format()) only the first time its index is seen.
template <typename Format> QSizeF LongPageLayout::metricsOf(int index, const Format& format) const
{
    const auto found = m_formatMetrics.constFind(index);
    if (found != m_formatMetrics.constEnd())
        return *found;
    const QFontMetricsF fm(format().font().resolve(document()->defaultFont()), paintDevice());
    const QSizeF metrics(fm.averageCharWidth(),
                         lineHeight(fm.ascent(), fm.descent(), qMax<qreal>(fm.leading(), 0)));
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
    if (isLongLine(block)) {
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

void LongPageLayout::shapeSlice(QTextLayout& slice, const QTextBlock& block, int n) const
{
    const int length = block.length() - 1;
    const int from = std::min(n * kLineSliceChars, length);
    const int to = std::min(from + kLineSliceChars, length);
    const int start = block.position();
    // A line separator would break the slice into lines that its neighbours do not follow.
    slice.setText(textBetween(document(), start + from, start + to)
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
    if (isLongLine(block)) {
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
    if (isLongLine(block)) {
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
        if (isLongLine(block)) {
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

namespace {

void showLongLineCaret(QTextEdit& page);

// Moves the caret along a long line, or deletes there, without the toolkit's character and word
// boundaries: it finds them in the character attributes of the whole line, some 28 bytes a
// character. Keys at the line's ends go on to the toolkit, which handles them without the line.
// It also keeps the view on a caret in a long line.
class LongLineKeys : public QObject
{
public:
    static constexpr const char* kName = "quorvelLongLineKeys";

    explicit LongLineKeys(QTextEdit& page) : QObject(&page), m_page(page)
    {
        setObjectName(QLatin1String(kName));
        // Once the caret has settled: a recalculation moves it once for every line it rewrites.
        m_showCaret.setSingleShot(true);
        m_showCaret.setInterval(0);
        connect(&m_showCaret, &QTimer::timeout, this, [this] { showLongLineCaret(m_page); });
        connect(&page, &QTextEdit::cursorPositionChanged, this, [this] {
            if (!m_showCaret.isActive())
                m_showCaret.start();
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_page.viewport() && event->type() == QEvent::MouseButtonDblClick)
            return selectWord(*static_cast<const QMouseEvent*>(event));
        if (watched != &m_page || event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<const QKeyEvent*>(event);
        QTextCursor cursor = m_page.textCursor();
        const QTextBlock block = cursor.block();
        if (!isLongLine(block))
            return false;
        const Qt::KeyboardModifiers modifiers =
            key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
        const bool word = modifiers.testFlag(Qt::ControlModifier);
        const bool shift = modifiers.testFlag(Qt::ShiftModifier);
        // Alt is not ours; a selection the toolkit collapses without looking at the line.
        if (modifiers.testFlag(Qt::AltModifier) || (!shift && cursor.hasSelection()))
            return false;
        const int pos = cursor.position();
        const int lineStart = block.position();
        const int lineEnd = lineStart + block.length() - 1;
        int to = -1;
        bool erase = false;
        switch (key->key()) {
        case Qt::Key_Left:
            to = pos == lineStart ? -1 : step(pos, -1, word, lineStart, lineEnd);
            break;
        case Qt::Key_Right:
            to = pos == lineEnd ? -1 : step(pos, 1, word, lineStart, lineEnd);
            break;
        case Qt::Key_Delete:
            erase = !shift && !cursor.hasSelection() && pos < lineEnd;
            to = erase ? step(pos, 1, word, lineStart, lineEnd) : -1;
            break;
        case Qt::Key_Backspace: // without Ctrl the toolkit does it without the line's attributes
            erase = word && !shift && !cursor.hasSelection() && pos > lineStart;
            to = erase ? step(pos, -1, true, lineStart, lineEnd) : -1;
            break;
        default:
            break;
        }
        if (to < 0)
            return false;
        cursor.setPosition(to, shift || erase ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
        if (erase)
            cursor.removeSelectedText();
        m_page.setTextCursor(cursor);
        return true;
    }

private:
    // A double click selects the word under the mouse like the toolkit does, but finds the
    // word's ends by reading outwards in pieces instead of from the attributes of the whole line.
    bool selectWord(const QMouseEvent& mouse)
    {
        const QTextDocument& doc = *m_page.document();
        const QPointF at = mouse.position() + QPointF(m_page.horizontalScrollBar()->value(),
                                                      m_page.verticalScrollBar()->value());
        const int pos = doc.documentLayout()->hitTest(at, Qt::FuzzyHit);
        const QTextBlock block = doc.findBlock(pos);
        if (mouse.button() != Qt::LeftButton || !isLongLine(block))
            return false;
        const int lineStart = block.position();
        const int lineEnd = lineStart + block.length() - 1;
        constexpr int kPiece = 4096;
        int from = pos;
        for (bool more = true; more && from > lineStart;) {
            const int start = std::max(lineStart, from - kPiece);
            const QString piece = textBetween(&doc, start, from);
            auto k = piece.size();
            while (k > 0 && isWordCharacter(piece[k - 1]))
                --k;
            more = k == 0;
            from = start + int(k);
        }
        int to = pos;
        for (bool more = true; more && to < lineEnd;) {
            const int end = std::min(lineEnd, to + kPiece);
            const QString piece = textBetween(&doc, to, end);
            qsizetype k = 0;
            while (k < piece.size() && isWordCharacter(piece[k]))
                ++k;
            more = k == piece.size();
            to += int(k);
        }
        QTextCursor cursor(m_page.document());
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        m_page.setTextCursor(cursor);
        return true;
    }

    // The next caret position from pos in direction dir (+1 or -1) between from and to: one
    // character (a surrogate pair is one), or with word to the next start of a word.
    int step(int pos, int dir, bool word, int from, int to) const
    {
        const QTextDocument& doc = *m_page.document();
        const auto at = [&doc](int p) { return doc.characterAt(p); };
        const auto move = [&](int p) {
            p += dir;
            if (p > from && p < to && at(p).isLowSurrogate() && at(p - 1).isHighSurrogate())
                p += dir;
            return p;
        };
        if (!word)
            return move(pos);
        const auto inWord = [&at](int p) { return isWordCharacter(at(p)); };
        if (dir > 0) { // over the rest of this word and the gap after it
            while (pos < to && inWord(pos))
                pos = move(pos);
            while (pos < to && !inWord(pos))
                pos = move(pos);
        } else { // over the gap before the caret and the word before that
            while (pos > from && !inWord(pos - 1))
                pos = move(pos);
            while (pos > from && inWord(pos - 1))
                pos = move(pos);
        }
        return pos;
    }

    QTextEdit& m_page;
    QTimer m_showCaret;
};

// The toolkit puts the view on the caret by a rectangle it computes from the line's shapes, at
// the line's start for a long line; this puts it on the caret afterwards.
void showLongLineCaret(QTextEdit& page)
{
    const auto* layout = qobject_cast<const LongPageLayout*>(page.document()->documentLayout());
    const QTextCursor cursor = page.textCursor();
    if (!layout || !isLongLine(cursor.block()))
        return;
    const QRectF caret = layout->caretRect(cursor.position());
    QScrollBar& bar = *page.horizontalScrollBar();
    const int width = page.viewport()->width();
    const int margin = std::min(width / 4, 50);
    if (caret.left() < bar.value() + margin || caret.right() > bar.value() + width - margin)
        bar.setValue(int(caret.left()) - width / 2);
}

const char* const kFollowsLength = "quorvelFollowsLength";

} // namespace

void FollowPageLength(QTextEdit& page)
{
    QTextDocument& doc = *page.document();
    if (!qobject_cast<LongPageLayout*>(doc.documentLayout()) &&
        !doc.property(kFollowsLength).toBool()) {
        doc.setProperty(kFollowsLength, true);
        // Switched before the toolkit's layout sees the edit: it would lay out all the new
        // lines at once, and a page past its ceiling never. The document finishes the edit with
        // the new layout, which measures the whole page once when it is installed.
        const auto follow = [&doc](int from, int, int added) {
            if (qobject_cast<LongPageLayout*>(doc.documentLayout()))
                return;
            // Only the lines of this edit can have become too long.
            if (doc.blockCount() > kLongPageLines || hasLongLine(doc.findBlock(from), from + added))
                doc.setDocumentLayout(new LongPageLayout(&doc));
        };
        QObject::connect(&doc, &QTextDocument::contentsChange, &doc, follow);
        follow(0, 0, doc.characterCount());
    }
    // Found by name: the class has no meta-object of its own.
    if (page.findChild<QObject*>(QLatin1String(LongLineKeys::kName), Qt::FindDirectChildrenOnly) ==
        nullptr) {
        auto* keys = new LongLineKeys(page);
        page.installEventFilter(keys);
        page.viewport()->installEventFilter(keys);
    }
}

} // namespace quorvel
