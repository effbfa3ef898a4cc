// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/diagram/picture_painter.h"

#include "engine/diagram/curve_drawing.h"

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
// The layout thinned the line to the picture's columns already; a printer or a screen with more
// device pixels to a unit gets no more points, fewer only where a unit is less than a pixel.
QPolygonF devicePoints(const std::vector<PicturePoint>& points, const QTransform& toDevice)
{
    std::vector<PicturePoint> kept = points;
    // Curves are painted unrotated: a column of device pixels is one of x alone.
    ThinToColumns(kept, toDevice.m11(), toDevice.dx());
    QPolygonF line;
    line.reserve(static_cast<qsizetype>(kept.size()));
    for (const PicturePoint& p : kept)
        line << point(p);
    return line;
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
