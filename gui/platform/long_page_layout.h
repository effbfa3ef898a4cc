// The layout of a very long page. The toolkit's own document layout keeps line positions in a
// fixed-point type that ends near 8.4 million pixels (about 490,000 lines of 11 pt text); beyond
// that its background layout never finishes and the window stops answering. This layout keeps
// the positions as doubles, measures a line's height from its character formats without shaping
// its text, and shapes only the lines that are drawn or that the caret visits, so opening and
// leaving a page of a million lines costs time and memory in proportion to its size.
#pragma once

#include <QAbstractTextDocumentLayout>
#include <QHash>
#include <QSizeF>

#include <vector>

class QTextBlock;
class QTextDocument;

namespace quorvel {

// Pages with more lines than this get a LongPageLayout when they are loaded; shorter pages keep
// the toolkit's layout.
constexpr int kLongPageLines = 100000;

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

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    // The height and estimated width of a line from its formats, without laying it out.
    QSizeF measure(const QTextBlock& block) const;
    // Shapes the line where it has no valid layout; its real size replaces the measured one.
    void layOut(const QTextBlock& block) const;
    int blockAt(qreal y) const;
    // The top of line n below the margin; n = lineCount is the end of the page. Tops are summed
    // up again only from the first height that changed, and only when one is asked for.
    double top(int blockNumber) const;
    void sizeMayHaveChanged() const;

    // m_heights[i] is line i's height; m_tops[i] its top (m_tops has one entry more, the end),
    // valid up to m_topsValidTo.
    mutable std::vector<double> m_heights;
    mutable std::vector<double> m_tops = std::vector<double>(1, 0.0);
    mutable std::size_t m_topsValidTo = 0;
    mutable double m_width = 0;
    mutable QSizeF m_reportedSize;
    // Line metrics (ascent + descent + leading, average advance) per character format index.
    mutable QHash<int, QSizeF> m_formatMetrics;
};

} // namespace quorvel
