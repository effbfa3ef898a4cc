// SPDX-License-Identifier: GPL-3.0-or-later
// The diagram on the screen: the engine's layout at the widget's size, painted as paper under
// every colour scheme, zoomed with the wheel about the pointer, with a dragged rectangle, with
// keys or to typed ranges. Every zoom lays the diagram out again for the new ranges, so ticks
// stay round numbers and the curves stay inside the plot, and samples the visible range again
// at the window's resolution where the diagram's own points are too few for it. A trace reads
// the curves off at the pointer's x, or at an x the arrow keys move: each curve's formula is
// evaluated there and marked on the curve.
#pragma once

#include "engine/diagram/diagram_layout.h"
#include "engine/diagram/readout.h"

#include <QWidget>

#include <optional>

namespace quorvel {

class DiagramView : public QWidget
{
    Q_OBJECT

public:
    explicit DiagramView(QWidget* parent = nullptr);

    // A new diagram, shown whole.
    void setData(DiagramData diagram);
    const DiagramData& data() const { return m_data; }

    // The layout as painted now, one picture unit to a widget pixel.
    const DiagramLayout& currentLayout() const { return m_layout; }
    // The visible ranges laid out at another size, for files and paper.
    DiagramLayout layoutAt(double width, double height) const;

    bool isZoomed() const { return m_x.has_value(); }
    // Whether the curves drawn now were sampled again for the visible range.
    bool sampledAgain() const { return m_lines.has_value(); }
    // factor < 1 shows less; the values at `about` (a widget position) stay where they are.
    void zoomBy(double factor, QPointF about);
    void zoomIn();
    void zoomOut();
    // The values inside the rectangle (widget positions) fill the plot. An axis along which the
    // rectangle is only a few pixels long keeps its range, so a flat drag zooms x alone.
    void zoomTo(const QRectF& area);
    // Moves the visible ranges by fractions of their widths; positive moves to higher values.
    void pan(double dx, double dy);
    void showWhole();
    // Shows exactly these ranges; false (and nothing changes) when an axis cannot show its
    // range: empty, reversed, too narrow for the doubles, not positive on a logarithmic axis.
    bool showRanges(const AxisRange& x, const AxisRange& y);

    // The trace: at x (in the x axis's unit), moved by whole pixels (the view follows it when
    // it leaves the visible range), or gone.
    void traceAt(double x);
    void moveTrace(double pixels);
    void clearTrace();
    const std::optional<Reading>& reading() const { return m_reading; }
    // What the status line shows for the trace («t = 0.994s   y = 15.0336m»); empty without.
    QString readout() const;
    // The same for screen readers, the values separated by semicolons.
    QString accessibleReadout() const;

signals:
    void rangesChanged();
    // The trace's values, or an empty text when there is no trace (the pointer left the plot).
    void readoutChanged(const QString& readout);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void relayout();
    void sampleVisibleRange();
    void setRanges(const AxisRange& x, const AxisRange& y);
    void updateReading();
    QRectF plotRect() const;
    QString description() const;

    DiagramData m_data;
    std::optional<AxisRange> m_x; // the visible ranges; both empty for the whole diagram
    std::optional<AxisRange> m_y;
    // The curves sampled again for the visible ranges, and what they were sampled for.
    std::optional<std::vector<CurveLine>> m_lines;
    AxisRange m_linesX;
    AxisRange m_linesY;
    std::int32_t m_linesPoints = 0;
    DiagramLayout m_layout;
    std::optional<QPointF> m_dragStart;
    QPointF m_dragEnd;
    std::optional<QPointF> m_pointer; // over the plot, where the trace follows it
    std::optional<double> m_trace;
    std::optional<Reading> m_reading;
};

} // namespace quorvel
