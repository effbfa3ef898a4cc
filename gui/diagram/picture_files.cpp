// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/diagram/picture_files.h"

#include "engine/diagram/svg_writer.h"
#include "gui/diagram/picture_painter.h"
#include "gui/files/page_files.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace quorvel {
namespace {

// A picture unit is a CSS pixel, as in the SVG: 96 to the inch.
constexpr double kUnitsPerInch = 96.0;
constexpr double kPointsPerUnit = 72.0 / kUnitsPerInch;

QByteArray pdfBytes(const Picture& picture)
{
    QBuffer pdf;
    pdf.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&pdf);
        writer.setTitle(QString::fromStdU16String(picture.title));
        // A page exactly as large as the picture, as a converted SVG would be: no standard size
        // may be chosen in its place.
        const QPageSize size(QSizeF(picture.width, picture.height) * kPointsPerUnit,
                             QPageSize::Point, QString(), QPageSize::ExactMatch);
        writer.setPageLayout(QPageLayout(size, QPageLayout::Portrait, QMarginsF()));
        if (!PaintOnPages(picture, writer))
            return {};
    }
    return pdf.data();
}

} // namespace

PictureFormat PictureFormatOf(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("png"))
        return PictureFormat::Png;
    if (suffix == QLatin1String("svg"))
        return PictureFormat::Svg;
    if (suffix == QLatin1String("pdf"))
        return PictureFormat::Pdf;
    return PictureFormat::Unknown;
}

QImage PictureImage(const Picture& picture, double scale)
{
    const QSize size(std::max(1, static_cast<int>(std::ceil(picture.width * scale))),
                     std::max(1, static_cast<int>(std::ceil(picture.height * scale))));
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    const int dotsPerMeter = static_cast<int>(std::lround(kUnitsPerInch * scale / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    QPainter painter(&image);
    painter.scale(scale, scale);
    PaintPicture(painter, picture);
    return image;
}

bool PaintOnPages(const Picture& picture, QPagedPaintDevice& device)
{
    if (picture.width <= 0.0 || picture.height <= 0.0)
        return false;
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double width = device.width();
    const double scale = std::min(width / picture.width, device.height() / picture.height);
    painter.translate((width - picture.width * scale) / 2.0, 0.0);
    painter.scale(scale, scale);
    PaintPicture(painter, picture);
    return painter.end();
}

QByteArray PictureFileBytes(const Picture& picture, PictureFormat format)
{
    switch (format) {
    case PictureFormat::Png: {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!PictureImage(picture, kPicturePixelsPerUnit).save(&buffer, "PNG"))
            return {};
        return bytes;
    }
    case PictureFormat::Svg:
        return QByteArray::fromStdString(WriteSvg(picture));
    case PictureFormat::Pdf:
        return pdfBytes(picture);
    case PictureFormat::Unknown:
        break;
    }
    return {};
}

QString SavePicture(const Picture& picture, const QString& path)
{
    const PictureFormat format = PictureFormatOf(path);
    if (format == PictureFormat::Unknown)
        return QStringLiteral("Die Datei %1 wurde nicht geschrieben: ein Bild wird als PNG, SVG "
                              "oder PDF gespeichert, mit der Endung .png, .svg oder .pdf.")
            .arg(QDir::toNativeSeparators(path));
    const QByteArray bytes = PictureFileBytes(picture, format);
    if (bytes.isEmpty())
        return QStringLiteral("Die Datei %1 wurde nicht geschrieben: das Bild lie\u00DF sich nicht "
                              "erzeugen.")
            .arg(QDir::toNativeSeparators(path));
    return WriteDocumentFile(path, bytes);
}

} // namespace quorvel
