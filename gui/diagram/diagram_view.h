// SPDX-License-Identifier: GPL-3.0-or-later
// The diagram on the screen: the engine's layout at the widget's size, painted as paper under
// every colour scheme, zoomed with the wheel about the pointer, with a dragged rectangle or with
// keys. Every zoom lays the diagram out again for the new ranges, so ticks stay round numbers
// and the curves stay inside the plot.
#pragma once

#include "diagram/diagram_layout.h"

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

    // The axis values at a widget position, as the status line shows them
    // («t = 3.25s   v*t = 9.75m»), to one pixel's precision; empty outside the plot.
    QString valuesAt(QPointF position) const;

signals:
    void rangesChanged();
    // The pointer's values, or an empty text when the pointer left the plot.
    void pointerMoved(const QString& values);

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
    void setRanges(const AxisRange& x, const AxisRange& y);
    QRectF plotRect() const;
    QString description() const;

    DiagramData m_data;
    std::optional<AxisRange> m_x; // the visible ranges; both empty for the whole diagram
    std::optional<AxisRange> m_y;
    DiagramLayout m_layout;
    std::optional<QPointF> m_dragStart;
    QPointF m_dragEnd;
};

} // namespace quorvel
