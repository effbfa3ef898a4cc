// SPDX-License-Identifier: GPL-3.0-or-later
// The layout of a very long page. The toolkit's own document layout keeps line positions in a
// fixed-point type that ends near 8.4 million pixels (about 490,000 lines of 11 pt text); beyond
// that its background layout never finishes and the window stops answering. Well below that, it
// shapes every line an edit touches before the view may show the caret: a recalculation of a
// 10,000-line page spent three quarters of its time laying out lines nobody looked at. This
// layout keeps the positions as doubles, measures a line's height from its character formats
// without shaping its text, and shapes only the lines that are drawn or that the caret visits,
// so opening, recalculating and leaving a long page cost time and memory in proportion to what
// changes and what is shown.
//
// A very long line is never shaped as a whole either: the toolkit spends some 28 bytes per
// character on a shaped line (a 50 million character line took 2 GB and many seconds). Such a
// line is drawn and hit in pieces of kLineSliceChars characters, each shaped on its own when it
// is visible; a piece starts at its index times the line's average advance. Its block keeps a
// layout without lines, so the toolkit's caret code asks this layout for the block and finds no
// line to measure.
#pragma once

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QHash>
#include <QSizeF>

#include <vector>

class QTextBlock;
class QTextDocument;
class QTextLayout;

namespace quorvel {

// The piece of a long line that is shaped at a time.
constexpr int kLineSliceChars = 512;

// For pages whose lines are the document's blocks, unwrapped, as the worksheet pages are.
class LongPageLayout : public QAbstractTextDocumentLayout
{
    Q_OBJECT

public:
    explicit LongPageLayout(QTextDocument* doc);

    void draw(QPainter* painter, const PaintContext& context) override;
    int hitTest(const QPointF& point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override { return 1; }
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame* frame) const override;
    QRectF blockBoundingRect(const QTextBlock& block) const override;

    // The caret's rectangle at position in the document, for lines the toolkit cannot measure.
    QRectF caretRect(int position) const;

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    // Average advance and line height of a character format.
    template <typename Format> QSizeF metricsOf(int index, const Format& format) const;
    // The height and estimated width of a line from its formats, without laying it out.
    QSizeF measure(const QTextBlock& block) const;
    // The widest average advance and the line height when all character formats have the same
    // line height; else an empty size.
    QSizeF uniformMetrics() const;
    // Shapes the line where it has no valid layout; its real size replaces the measured one.
    // A long line is only placed.
    void layOut(const QTextBlock& block) const;
    // Piece n of a long line, shaped, with its left edge at x = 0.
    void shapeSlice(QTextLayout& slice, const QTextBlock& block, int n) const;
    // Where piece n of a long line starts, from the line's left edge.
    double sliceX(const QTextBlock& block, int n) const;
    // The piece of a long line at x from the line's left edge.
    int sliceAt(const QTextBlock& block, double x) const;
    void drawLongLine(QPainter* painter, const PaintContext& context, const QTextBlock& block,
                      const QRectF& clip) const;
    int blockAt(qreal y) const;
    // The top of line n below the margin; n = lineCount is the end of the page. Tops are summed
    // up again only from the first height that changed, and only when one is asked for.
    double top(int blockNumber) const;
    void sizeMayHaveChanged() const;

    // m_heights[i] is line i's height, whole pixels and so exact in a float. Only every
    // kMarkStep-th line keeps its top: m_marks[k] is the top of line k * kMarkStep (the end of the
    // page too when the line count is a multiple), valid for k < m_validMarks. A top in between is
    // summed from its mark; a million lines take 4 MB instead of 16.
    static constexpr std::size_t kMarkStep = 64;
    mutable std::vector<float> m_heights;
    mutable std::vector<double> m_marks = std::vector<double>(1, 0.0);
    mutable std::size_t m_validMarks = 1;
    mutable double m_width = 0;
    mutable QSizeF m_reportedSize;
    // Line metrics (ascent + descent + leading, average advance) per character format index.
    mutable QHash<int, QSizeF> m_formatMetrics;
    QFont m_measuredFont; // the page's font m_formatMetrics were measured with
};

} // namespace quorvel
