// SPDX-License-Identifier: GPL-3.0-or-later
#include "diagram/diagram_view.h"

#include "diagram/axis_numbers.h"
#include "diagram/picture_painter.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace quorvel {
namespace {

constexpr double kWheelStep = 0.8; // the visible part per notch of the wheel
constexpr double kKeyStep = 0.8;   // per Ctrl++
constexpr double kPanStep = 0.1;   // per arrow key, of the visible width
constexpr double kMinDrag = 5.0;   // pixels: a shorter drag along an axis is no choice of range
const QColor kBandColour(0, 114, 178);

// A range the doubles can still show: narrower than about a 1e-12 of its values, neighbouring
// pixels would get the same value.
bool drawable(const AxisRange& r)
{
    const double span = r.max - r.min;
    const double magnitude = std::max(std::fabs(r.min), std::fabs(r.max));
    return std::isfinite(span) && std::isfinite(magnitude) &&
           span > std::numeric_limits<double>::min() && span > magnitude * 1e-12;
}

QString qs(const std::u16string& text)
{
    return QString::fromStdU16String(text);
}

// «t [s] von 0 bis 10»
QString rangeText(const std::u16string& title, const AxisRange& r)
{
    const double step = (r.max - r.min) / 1000.0;
    return QStringLiteral("%1 von %2 bis %3")
        .arg(qs(title), qs(TickText(r.min, step)), qs(TickText(r.max, step)));
}

} // namespace

DiagramView::DiagramView(QWidget* parent) : QWidget(parent)
{
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
    m_dragStart.reset();
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
    return LayoutDiagram(m_data, options);
}

void DiagramView::relayout()
{
    m_layout = layoutAt(std::max(1, width()), std::max(1, height()));
    const QString name = qs(m_layout.picture.title);
    if (accessibleName() != name)
        setAccessibleName(name);
    const QString text = description();
    if (accessibleDescription() != text)
        setAccessibleDescription(text);
    update();
}

QString DiagramView::description() const
{
    QString text = rangeText(AxisTitle(m_data.variable, m_data.xUnit), m_layout.x) +
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

void DiagramView::setRanges(const AxisRange& x, const AxisRange& y)
{
    if (!drawable(x) || !drawable(y))
        return; // as far as the numbers go
    m_x = x;
    m_y = y;
    relayout();
    emit rangesChanged();
}

void DiagramView::zoomBy(double factor, QPointF about)
{
    const QRectF plot = plotRect();
    about = {std::clamp(about.x(), plot.left(), plot.right()),
             std::clamp(about.y(), plot.top(), plot.bottom())};
    const double ax = XValueAt(m_layout, about.x());
    const double ay = YValueAt(m_layout, about.y());
    const AxisRange& x = m_layout.x;
    const AxisRange& y = m_layout.y;
    setRanges({ax + (x.min - ax) * factor, ax + (x.max - ax) * factor},
              {ay + (y.min - ay) * factor, ay + (y.max - ay) * factor});
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
    const AxisRange& x = m_layout.x;
    const AxisRange& y = m_layout.y;
    const double sx = (x.max - x.min) * dx;
    const double sy = (y.max - y.min) * dy;
    setRanges({x.min + sx, x.max + sx}, {y.min + sy, y.max + sy});
}

void DiagramView::showWhole()
{
    m_x.reset();
    m_y.reset();
    relayout();
    emit rangesChanged();
}

QString DiagramView::valuesAt(QPointF position) const
{
    if (!plotRect().contains(position) || m_data.x.empty())
        return {};
    const DiagramLayout& l = m_layout;
    const double xStep = (l.x.max - l.x.min) / l.plot.width;
    const double yStep = (l.y.max - l.y.min) / l.plot.height;
    // One curve is named by its formula; several share the axis, which the values belong to.
    const QString yName =
        m_data.curves.size() == 1 ? qs(m_data.curves.front().formula) : QStringLiteral("y");
    return QStringLiteral("%1 = %2%3   %4 = %5%6")
        .arg(qs(m_data.variable), qs(TickText(XValueAt(l, position.x()), xStep)),
             qs(m_data.xUnit.name), yName, qs(TickText(YValueAt(l, position.y()), yStep)),
             qs(m_data.yUnit.name));
}

void DiagramView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    PaintPicture(painter, m_layout.picture);
    if (m_dragStart) {
        painter.setPen(QPen(kBandColour, 1.0, Qt::DashLine));
        QColor fill = kBandColour;
        fill.setAlpha(40);
        painter.setBrush(fill);
        painter.drawRect(QRectF(*m_dragStart, m_dragEnd).normalized() & plotRect());
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
    emit pointerMoved(valuesAt(event->position()));
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
    zoomBy(std::pow(kWheelStep, notches), event->position());
    emit pointerMoved(valuesAt(event->position()));
}

void DiagramView::keyPressEvent(QKeyEvent* event)
{
    if ((event->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier)) != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Left:
        pan(-kPanStep, 0.0);
        break;
    case Qt::Key_Right:
        pan(kPanStep, 0.0);
        break;
    case Qt::Key_Up:
        pan(0.0, kPanStep);
        break;
    case Qt::Key_Down:
        pan(0.0, -kPanStep);
        break;
    case Qt::Key_Plus:
        zoomIn();
        break;
    case Qt::Key_Minus:
        zoomOut();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void DiagramView::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    emit pointerMoved(QString());
}

} // namespace quorvel
