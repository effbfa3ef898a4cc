// SPDX-License-Identifier: GPL-3.0-or-later
#include "diagram/picture_painter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>

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

void paint(QPainter& painter, const PolylineItem& item)
{
    QPen pen(colour(item.colour), item.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    if (item.dashed && item.width > 0.0) // the SVG's "6 4", which Qt counts in pen widths
        pen.setDashPattern({6.0 / item.width, 4.0 / item.width});
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    QPolygonF line;
    line.reserve(static_cast<qsizetype>(item.points.size()));
    for (const PicturePoint& p : item.points)
        line << point(p);
    painter.drawPolyline(line);
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
