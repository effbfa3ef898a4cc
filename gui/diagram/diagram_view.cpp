// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/diagram/diagram_view.h"

#include "engine/diagram/axis_numbers.h"
#include "gui/diagram/picture_painter.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <utility>

namespace quorvel {
namespace {

constexpr double kWheelStep = 0.8; // the visible part per notch of the wheel
constexpr double kKeyStep = 0.8;   // per Ctrl++
constexpr double kPanStep = 0.1;   // per Shift+arrow, of the visible width
constexpr double kTraceJump = 0.1; // per Ctrl+arrow, of the plot's width
constexpr double kMinDrag = 5.0;   // pixels: a shorter drag along an axis is no choice of range
constexpr int kMostPoints = 4000;  // per curve when the visible range is sampled again
const QColor kBandColour(0, 114, 178);
const QColor kTraceColour(96, 96, 96);

QString qs(const std::u16string& text)
{
    return QString::fromStdU16String(text);
}

// «t [s] von 0 bis 10»
QString rangeText(const std::u16string& title, const AxisRange& r)
{
    const double step = (r.max * 0.5 - r.min * 0.5) / 500.0;
    return QStringLiteral("%1 von %2 bis %3")
        .arg(qs(title), qs(TickText(r.min, step)), qs(TickText(r.max, step)));
}

// The range fractions from..to of r, on its scale.
AxisRange part(const AxisRange& r, AxisScale scale, double from, double to)
{
    return {AxisValueAt(r, scale, from), AxisValueAt(r, scale, to)};
}

// The view as screen readers see it: a chart named by what it plots, described by its curves
// and ranges, whose value is what the trace reads.
class ViewAccessible : public QAccessibleWidget
{
public:
    explicit ViewAccessible(DiagramView* view) : QAccessibleWidget(view, QAccessible::Chart) {}
    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return static_cast<const DiagramView*>(widget())->accessibleReadout();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* viewAccessible(const QString& key, QObject* object)
{
    if (key == QLatin1String("quorvel::DiagramView") && object != nullptr && object->isWidgetType())
        return new ViewAccessible(static_cast<DiagramView*>(object));
    return nullptr;
}

// The number of the diagram's points within lo..hi (its points run one way or the other).
std::size_t pointsWithin(const std::vector<double>& x, double lo, double hi)
{
    if (x.empty())
        return 0;
    if (x.front() <= x.back())
        return static_cast<std::size_t>(std::upper_bound(x.begin(), x.end(), hi) -
                                        std::lower_bound(x.begin(), x.end(), lo));
    return static_cast<std::size_t>(std::upper_bound(x.rbegin(), x.rend(), hi) -
                                    std::lower_bound(x.rbegin(), x.rend(), lo));
}

} // namespace

DiagramView::DiagramView(QWidget* parent) : QWidget(parent)
{
    static const bool accessible = (QAccessible::installFactory(viewAccessible), true);
    (void)accessible;
    setObjectName(QStringLiteral("Ansicht"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setCursor(Qt::CrossCursor);
    setMinimumSize(200, 150);
    // The picture paints every pixel itself, on paper white whatever the scheme.
    setAttribute(Qt::WA_OpaquePaintEvent);
    relayout();
}

void DiagramView::setData(DiagramData diagram)
{
    m_data = std::move(diagram);
    m_x.reset();
    m_y.reset();
    m_lines.reset();
    m_dragStart.reset();
    m_trace.reset();
    relayout();
    emit rangesChanged();
}

DiagramLayout DiagramView::layoutAt(double width, double height) const
{
    LayoutOptions options;
    options.width = width;
    options.height = height;
    options.x = m_x;
    options.y = m_y;
    if (m_lines)
        options.lines = &*m_lines;
    return LayoutDiagram(m_data, options);
}

void DiagramView::sampleVisibleRange()
{
    if (!m_x || !m_y || !m_data.source || m_data.x.empty()) {
        m_lines.reset();
        return;
    }
    // Only the requested range is sampled: beyond "von" and "bis" nobody asked for values.
    const auto [least, most] = std::minmax_element(m_data.x.begin(), m_data.x.end());
    const double from = std::max(m_x->min, *least);
    const double to = std::min(m_x->max, *most);
    if (!(to > from)) {
        m_lines.emplace(m_data.curves.size());
        return;
    }
    // Two points to a pixel of the part of the plot the range covers.
    const double covered =
        AxisFraction(*m_x, m_data.xScale, to) - AxisFraction(*m_x, m_data.xScale, from);
    const auto wanted =
        static_cast<std::int32_t>(std::clamp(2.0 * width() * covered, 16.0, double(kMostPoints)));
    if (pointsWithin(m_data.x, from, to) >= static_cast<std::size_t>(wanted)) {
        m_lines.reset(); // the diagram's own points are finer than the screen
        return;
    }
    const AxisRange x{from, to};
    if (m_lines && m_linesX == x && m_linesY == *m_y && m_linesPoints == wanted)
        return;
    m_lines = m_data.source->lines(from, to, wanted, m_data.xScale, {m_y->min, m_y->max});
    m_linesX = x;
    m_linesY = *m_y;
    m_linesPoints = wanted;
}

void DiagramView::relayout()
{
    sampleVisibleRange();
    m_layout = layoutAt(std::max(1, width()), std::max(1, height()));
    const QString name = qs(m_layout.picture.title);
    if (accessibleName() != name)
        setAccessibleName(name);
    const QString text = description();
    if (accessibleDescription() != text)
        setAccessibleDescription(text);
    // The trace stays with the pointer, or at its value while that is visible.
    if (m_pointer && plotRect().contains(*m_pointer))
        m_trace = XValueAt(m_layout, m_pointer->x());
    else if (m_trace && !(AxisFraction(m_layout.x, m_layout.xScale, *m_trace) >= 0.0 &&
                          AxisFraction(m_layout.x, m_layout.xScale, *m_trace) <= 1.0))
        m_trace.reset();
    updateReading();
    update();
}

QString DiagramView::description() const
{
    QStringList curves;
    for (const SampledCurve& curve : m_data.curves) {
        curves << (curve.name.empty()
                       ? qs(curve.formula)
                       : QStringLiteral("%1 = %2").arg(qs(curve.name), qs(curve.formula)));
    }
    QString text = (curves.size() == 1 ? QStringLiteral("Kurve ") : QStringLiteral("Kurven ")) +
                   curves.join(QStringLiteral(", ")) + QStringLiteral("; ") +
                   rangeText(AxisTitle(m_data.variable, m_data.xUnit), m_layout.x) +
                   QStringLiteral("; ") + rangeText(YAxisTitle(m_data), m_layout.y) +
                   QLatin1Char('.');
    for (std::size_t c = 0; c < m_data.curves.size(); ++c) {
        const std::u16string note = FailureNote(m_data, c);
        if (!note.empty())
            text += QLatin1Char(' ') + qs(note) + QLatin1Char('.');
    }
    return text;
}

QRectF DiagramView::plotRect() const
{
    const PictureRect& p = m_layout.plot;
    return {p.x, p.y, p.width, p.height};
}

bool DiagramView::showRanges(const AxisRange& x, const AxisRange& y)
{
    if (!ShowableRange(x, m_data.xScale) || !ShowableRange(y, m_data.yScale))
        return false;
    m_x = x;
    m_y = y;
    relayout();
    emit rangesChanged();
    return true;
}

void DiagramView::setRanges(const AxisRange& x, const AxisRange& y)
{
    showRanges(x, y); // beyond what the numbers can show, the ranges stay
}

void DiagramView::zoomBy(double factor, QPointF about)
{
    const QRectF plot = plotRect();
    const double fx =
        (std::clamp(about.x(), plot.left(), plot.right()) - plot.left()) / plot.width();
    const double fy =
        (plot.bottom() - std::clamp(about.y(), plot.top(), plot.bottom())) / plot.height();
    const DiagramLayout& l = m_layout;
    setRanges(part(l.x, l.xScale, fx - fx * factor, fx + (1.0 - fx) * factor),
              part(l.y, l.yScale, fy - fy * factor, fy + (1.0 - fy) * factor));
}

void DiagramView::zoomIn()
{
    zoomBy(kKeyStep, plotRect().center());
}

void DiagramView::zoomOut()
{
    zoomBy(1.0 / kKeyStep, plotRect().center());
}

void DiagramView::zoomTo(const QRectF& area)
{
    const QRectF r = area.normalized() & plotRect();
    const bool alongX = r.width() >= kMinDrag;
    const bool alongY = r.height() >= kMinDrag;
    if (!alongX && !alongY)
        return;
    AxisRange x = m_layout.x;
    AxisRange y = m_layout.y;
    if (alongX)
        x = {XValueAt(m_layout, r.left()), XValueAt(m_layout, r.right())};
    if (alongY)
        y = {YValueAt(m_layout, r.bottom()), YValueAt(m_layout, r.top())};
    setRanges(x, y);
}

void DiagramView::pan(double dx, double dy)
{
    const DiagramLayout& l = m_layout;
    setRanges(part(l.x, l.xScale, dx, 1.0 + dx), part(l.y, l.yScale, dy, 1.0 + dy));
}

void DiagramView::showWhole()
{
    m_x.reset();
    m_y.reset();
    relayout();
    emit rangesChanged();
}

void DiagramView::traceAt(double x)
{
    m_pointer.reset(); // placed by the keys or the program, not under the mouse
    m_trace = x;
    relayout();
}

void DiagramView::moveTrace(double pixels)
{
    m_pointer.reset(); // the keys lead until the mouse moves again
    const QRectF plot = plotRect();
    if (!m_trace) {
        traceAt(XValueAt(m_layout, plot.center().x()));
        return;
    }
    const double px = XPosition(m_layout, *m_trace) + pixels;
    if (px > plot.right() || px < plot.left()) {
        // Beyond the edge the view moves along, and the trace stays at the edge.
        const double edge = px > plot.right() ? plot.right() : plot.left();
        const double beyond = (px - edge) / plot.width();
        pan(beyond, 0.0);
        traceAt(XValueAt(m_layout, edge));
        return;
    }
    traceAt(XValueAt(m_layout, px));
}

void DiagramView::clearTrace()
{
    m_pointer.reset();
    m_trace.reset();
    updateReading();
    update();
}

QString DiagramView::readout() const
{
    return m_reading ? qs(m_reading->joined(u"   ")) : QString();
}

QString DiagramView::accessibleReadout() const
{
    return m_reading ? qs(m_reading->joined(u"; ")) : QString();
}

void DiagramView::updateReading()
{
    const QString before = readout();
    if (m_trace) {
        // One pixel's width of the x axis at the trace: the precision it is read with.
        const double px = XPosition(m_layout, *m_trace);
        const double step = std::fabs(XValueAt(m_layout, px + 1.0) - XValueAt(m_layout, px));
        m_reading = ReadAt(m_data, *m_trace, step);
    } else {
        m_reading.reset();
    }
    const QString now = readout();
    if (now == before)
        return;
    emit readoutChanged(now);
    if (QAccessible::isActive()) {
        QAccessibleValueChangeEvent event(this, accessibleReadout());
        QAccessible::updateAccessibility(&event);
    }
}

void DiagramView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintPicture(painter, m_layout.picture);
    const QRectF plot = plotRect();
    if (m_reading) {
        // The trace: a thin line at its x, a ring on each curve where the formula's value is.
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        const double px = XPosition(m_layout, m_reading->x);
        painter.setPen(QPen(kTraceColour, 1.0, Qt::DashLine));
        painter.drawLine(QPointF(px, plot.top()), QPointF(px, plot.bottom()));
        for (std::size_t c = 0; c < m_reading->curves.size(); ++c) {
            const double y = m_reading->curves[c].y;
            const QPointF at(px, YPosition(m_layout, y));
            if (IsGap(y) || !plot.adjusted(-1.0, -1.0, 1.0, 1.0).contains(at))
                continue;
            const Colour colour = CurveColour(c);
            painter.setPen(QPen(QColor(colour.r, colour.g, colour.b), 2.0));
            painter.setBrush(Qt::white);
            painter.drawEllipse(at, 4.0, 4.0);
        }
        painter.restore();
    }
    if (m_dragStart) {
        painter.setPen(QPen(kBandColour, 1.0, Qt::DashLine));
        QColor fill = kBandColour;
        fill.setAlpha(40);
        painter.setBrush(fill);
        painter.drawRect(QRectF(*m_dragStart, m_dragEnd).normalized() & plot);
    }
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 2.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(1.0, 1.0, -1.0, -1.0));
    }
}

void DiagramView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // A hidden window's view gets its size before it is shown, and the event for it when it is
    // shown: a million points are not laid out twice for one size.
    if (m_layout.picture.width != std::max(1, width()) ||
        m_layout.picture.height != std::max(1, height()))
        relayout();
}

void DiagramView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_dragStart = event->position();
    m_dragEnd = event->position();
}

void DiagramView::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragStart) {
        m_dragEnd = event->position();
        update();
    }
    if (plotRect().contains(event->position())) {
        m_pointer = event->position();
        m_trace = XValueAt(m_layout, event->position().x());
        updateReading();
        update();
    } else if (m_pointer) {
        clearTrace();
    }
}

void DiagramView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_dragStart) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    const QRectF area(*m_dragStart, event->position());
    m_dragStart.reset();
    zoomTo(area);
    update();
}

void DiagramView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        showWhole();
}

void DiagramView::wheelEvent(QWheelEvent* event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0.0) {
        event->ignore();
        return;
    }
    if (plotRect().contains(event->position()))
        m_pointer = event->position();
    zoomBy(std::pow(kWheelStep, notches), event->position());
}

void DiagramView::keyPressEvent(QKeyEvent* event)
{
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier);
    const int key = event->key();
    if (modifiers == Qt::ShiftModifier) {
        switch (key) {
        case Qt::Key_Left:
            return pan(-kPanStep, 0.0);
        case Qt::Key_Right:
            return pan(kPanStep, 0.0);
        case Qt::Key_Up:
            return pan(0.0, kPanStep);
        case Qt::Key_Down:
            return pan(0.0, -kPanStep);
        default:
            break;
        }
    } else if (modifiers == Qt::ControlModifier && (key == Qt::Key_Left || key == Qt::Key_Right)) {
        return moveTrace((key == Qt::Key_Left ? -kTraceJump : kTraceJump) * plotRect().width());
    } else if (modifiers == Qt::NoModifier) {
        switch (key) {
        case Qt::Key_Left:
            return moveTrace(-1.0);
        case Qt::Key_Right:
            return moveTrace(1.0);
        case Qt::Key_Home:
            return traceAt(m_layout.x.min);
        case Qt::Key_End:
            return traceAt(m_layout.x.max);
        case Qt::Key_Up:
            return pan(0.0, kPanStep);
        case Qt::Key_Down:
            return pan(0.0, -kPanStep);
        case Qt::Key_Plus:
            return zoomIn();
        case Qt::Key_Minus:
            return zoomOut();
        default:
            break;
        }
    }
    QWidget::keyPressEvent(event);
}

void DiagramView::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (m_pointer)
        clearTrace();
}

} // namespace quorvel
