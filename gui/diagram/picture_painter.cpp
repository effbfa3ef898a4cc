// SPDX-License-Identifier: GPL-3.0-or-later
#include "diagram/picture_painter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace quorvel {
namespace {

QColor colour(Colour c)
{
    return {c.r, c.g, c.b};
}

QPointF point(PicturePoint p)
{
    return {p.x, p.y};
}

// The SVG's texts name only the generic family; fontconfig picks the same sans font for both.
QFont textFont(const TextItem& item)
{
    QFont font(QStringLiteral("sans-serif"));
    font.setStyleHint(QFont::SansSerif);
    // Pixel sizes follow the painter's transform on every device; point sizes would follow the
    // device's resolution. The layout's sizes are whole units.
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(item.size))));
    font.setBold(item.bold);
    return font;
}

void paint(QPainter& painter, const RectItem& item)
{
    const QRectF rect(item.rect.x, item.rect.y, item.rect.width, item.rect.height);
    painter.fillRect(rect, colour(item.fill));
    if (item.outlined) {
        painter.setPen(QPen(colour(item.outline), 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect);
    }
}

void paint(QPainter& painter, const LineItem& item)
{
    painter.setPen(QPen(colour(item.colour), item.width, Qt::SolidLine, Qt::FlatCap));
    painter.drawLine(point(item.from), point(item.to));
}

// The points of a line as the device can show them: of consecutive points in one column of
// device pixels only the first, the lowest, the highest and the last are kept, in their order.
// The stroke covers the same pixels, and a curve of 10,000 points across 700 pixels has some
// 3,000 points left to stroke.
QPolygonF devicePoints(const std::vector<PicturePoint>& points, const QTransform& toDevice)
{
    QPolygonF kept;
    kept.reserve(static_cast<qsizetype>(points.size()));
    const auto column = [&](std::size_t i) {
        return std::floor(toDevice.map(point(points[i])).x());
    };
    for (std::size_t i = 0; i < points.size();) {
        const double x = column(i);
        std::size_t end = i + 1;
        std::size_t low = i;
        std::size_t high = i;
        for (; end < points.size() && column(end) == x; ++end) {
            low = points[end].y < points[low].y ? end : low;
            high = points[end].y > points[high].y ? end : high;
        }
        for (const std::size_t k : {i, std::min(low, high), std::max(low, high), end - 1}) {
            if (kept.isEmpty() || kept.constLast() != point(points[k]))
                kept << point(points[k]);
        }
        i = end;
    }
    return kept;
}

void paint(QPainter& painter, const PolylineItem& item)
{
    QPen pen(colour(item.colour), item.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    const bool dashed = item.dashed && item.width > 0.0;
    if (dashed) // the SVG's "6 4", which Qt counts in pen widths
        pen.setDashPattern({6.0 / item.width, 4.0 / item.width});
    painter.setBrush(Qt::NoBrush);
    const QPolygonF line = devicePoints(item.points, painter.deviceTransform());
    // Stroked in pieces that share their end points: the stroker's work grows with the overlaps
    // of one outline, which a fast oscillation piles up, and with round joins and caps the
    // pieces make the same line. A dash pattern continues from piece to piece.
    constexpr qsizetype kPiece = 64;
    double travelled = 0.0;
    for (qsizetype start = 0; start + 1 < line.size(); start += kPiece) {
        const qsizetype count = std::min(kPiece + 1, line.size() - start);
        if (dashed) {
            pen.setDashOffset(travelled / item.width);
            for (qsizetype k = start + 1; k < start + count; ++k)
                travelled += QLineF(line[k - 1], line[k]).length();
        }
        painter.setPen(pen);
        painter.drawPolyline(line.constData() + start, static_cast<int>(count));
    }
}

void paint(QPainter& painter, const TextItem& item)
{
    const QString text = QString::fromStdU16String(item.text);
    const QFont font = textFont(item);
    double shift = 0.0;
    if (item.anchor != TextAnchor::Start) {
        const double width = QFontMetricsF(font, painter.device()).horizontalAdvance(text);
        shift = item.anchor == TextAnchor::Middle ? width / 2.0 : width;
    }
    painter.save();
    painter.setFont(font);
    painter.setPen(colour(item.colour));
    painter.translate(point(item.at));
    if (item.rotation != 0.0)
        painter.rotate(item.rotation); // clockwise on the screen, as in the SVG
    painter.drawText(QPointF(-shift, 0.0), text);
    painter.restore();
}

} // namespace

void PaintPicture(QPainter& painter, const Picture& picture)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    for (const PictureItem& item : picture.items)
        std::visit([&painter](const auto& i) { paint(painter, i); }, item);
    painter.restore();
}

} // namespace quorvel
