// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/page_layout/picture_objects.h"

#include "gui/rtf/picture_format.h"

#include <QAbstractTextDocumentLayout>
#include <QCache>
#include <QImage>
#include <QLocale>
#include <QPaintEngine>
#include <QPainter>
#include <QTextDocument>
#include <QTextFormat>
#include <QTextObjectInterface>

#include <algorithm>
#include <utility>

namespace quorvel {
namespace {

// A picture without a size of its own (a request not drawn yet) takes a diagram's.
constexpr QSizeF kDefaultSize(600, 360);
constexpr QSizeF kPlaceholderSize(300, 90);
constexpr int kRememberedVectors = 200;
constexpr double kMaxScreenHeight = 1000; // page pixels: an A4 sheet's text is about 950
// Decoded images, in KiB: a screen's worth of diagrams at two device pixels to a pixel.
constexpr int kDecodedKiB = 96 * 1024;

QCache<QString, VectorPainter>& rememberedVectors()
{
    static QCache<QString, VectorPainter> cache(kRememberedVectors);
    return cache;
}

QCache<QString, QImage>& decodedImages()
{
    static QCache<QString, QImage> cache(kDecodedKiB);
    return cache;
}

// The picture's image at the size it is drawn: a page holds its pictures at 300 dots per inch,
// but the screen needs a tenth of those pixels, and a long page's many diagrams would not fit
// into memory at full size. Paper gets the full image. A null image: the bytes do not decode.
QImage imageOf(const QTextImageFormat& format, QSize target)
{
    const QString key = format.name() + u'@' + QString::number(target.width()) + u'x' +
                        QString::number(target.height());
    if (const QImage* kept = decodedImages().object(key))
        return *kept;
    QImage image;
    if (IsShowablePicture(format.stringProperty(kPictureKindProperty)))
        image.loadFromData(format.property(kPictureBytesProperty).toByteArray());
    if (!image.isNull() && target.isValid() && target.width() < image.width())
        image = image.scaled(target.expandedTo(QSize(1, 1)), Qt::IgnoreAspectRatio,
                             Qt::SmoothTransformation);
    decodedImages().insert(key, new QImage(image),
                           static_cast<int>(std::max<qsizetype>(1, image.sizeInBytes() / 1024)));
    return image;
}

QString formName(const QString& kind)
{
    if (kind == QLatin1String("pngblip"))
        return QStringLiteral("PNG");
    if (kind == QLatin1String("jpegblip"))
        return QStringLiteral("JPEG");
    if (kind == QLatin1String("emfblip"))
        return QStringLiteral("EMF");
    if (kind.startsWith(QLatin1String("wmetafile")))
        return QStringLiteral("WMF");
    if (kind == QLatin1String("macpict"))
        return QStringLiteral("PICT");
    if (kind.startsWith(QLatin1String("dibitmap")) || kind.startsWith(QLatin1String("wbitmap")))
        return QStringLiteral("BMP");
    return kind.isEmpty() ? QStringLiteral("unbekannt") : kind;
}

QString centimetres(double pixels)
{
    return QLocale(QLocale::German).toString(pixels * 2.54 / 96.0, 'f', 1);
}

} // namespace

QSizeF PictureObjects::intrinsicSize(QTextDocument* doc, int, const QTextFormat& format)
{
    const QTextImageFormat image = format.toImageFormat();
    QSizeF size(image.width(), image.height());
    if (size.width() <= 0 || size.height() <= 0) {
        const QImage decoded = imageOf(image, QSize());
        size = decoded.isNull() ? kDefaultSize : QSizeF(decoded.size());
    }
    // A placeholder needs the room for its words; a sliver of a picture stays visible.
    const QSizeF least = IsShowablePicture(format.stringProperty(kPictureKindProperty))
                             ? QSizeF(4, 4)
                             : kPlaceholderSize;
    size = size.expandedTo(least);
    const QPaintDevice* device = doc->documentLayout()->paintDevice();
    const double scale = device != nullptr ? device->logicalDpiX() / 96.0 : 1.0;
    size *= scale;
    // Never wider than the text, nor higher than a sheet: a picture is not cut.
    double fit = 1.0;
    const double margins = 2 * doc->documentMargin();
    if (doc->textWidth() > margins + 1)
        fit = std::min(fit, (doc->textWidth() - margins) / size.width());
    if (doc->pageSize().height() > margins + 1 && doc->pageSize().height() < 1e6)
        fit = std::min(fit, (doc->pageSize().height() - margins) * 0.95 / size.height());
    else // a screen page: no taller than a sheet of paper would hold
        fit = std::min(fit, kMaxScreenHeight * scale / size.height());
    return size * fit;
}

void PictureObjects::drawObject(QPainter* painter, const QRectF& rect, QTextDocument*, int,
                                const QTextFormat& format)
{
    const QTextImageFormat image = format.toImageFormat();
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    const QPaintEngine* engine = painter->paintEngine();
    const bool paper = engine != nullptr && engine->type() != QPaintEngine::Raster;
    const VectorPainter* vectors = paper ? rememberedVectors().object(image.name()) : nullptr;
    if (vectors != nullptr) {
        (*vectors)(*painter, rect);
        painter->restore();
        painter->save();
    } else if (const QImage decoded = imageOf(
                   image, paper ? QSize() : (rect.size() * devicePixelsOf(*painter)).toSize());
               !decoded.isNull()) {
        painter->drawImage(rect, decoded);
    } else {
        drawPlaceholder(*painter, rect, PictureOf(format));
    }
    const QString fault = format.stringProperty(kDiagramFaultProperty);
    if (!fault.isEmpty())
        drawFault(*painter, rect, fault);
    painter->restore();
}

double PictureObjects::devicePixelsOf(const QPainter& painter)
{
    const QPaintDevice* device = painter.device();
    const double scale = painter.transform().m11();
    return (device ? device->devicePixelRatioF() : 1.0) * (scale > 0 ? scale : 1.0);
}

void PictureObjects::drawPlaceholder(QPainter& painter, const QRectF& rect,
                                     const PagePicture& picture)
{
    painter.fillRect(rect, QColor(240, 240, 240));
    painter.setPen(QPen(QColor(96, 96, 96), 1, Qt::DashLine));
    painter.drawRect(rect.adjusted(0.5, 0.5, -0.5, -0.5));
    const QString text =
        picture.bytes.isEmpty()
            ? QStringLiteral("Diagramm, noch nicht gezeichnet: F9 zeichnet es.")
            : QStringLiteral("Bild im Format %1, %2 \u00D7 %3 cm: hier nicht darstellbar, "
                             "bleibt in der Datei erhalten.")
                  .arg(formName(picture.kind), centimetres(picture.shownSize.width()),
                       centimetres(picture.shownSize.height()));
    painter.setPen(Qt::black);
    painter.drawText(rect.adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, text);
}

// The reason a diagram was not redrawn, over its old picture, as a failing line is red.
void PictureObjects::drawFault(QPainter& painter, const QRectF& rect, const QString& fault)
{
    const QColor red(255, 0, 0);
    painter.setPen(QPen(red, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect.adjusted(1, 1, -1, -1));
    const QRectF band(rect.left() + 2, rect.bottom() - rect.height() / 4, rect.width() - 4,
                      rect.height() / 4 - 2);
    painter.fillRect(band, QColor(255, 255, 255, 230));
    painter.setPen(red);
    painter.drawText(band.adjusted(6, 2, -6, -2), Qt::AlignCenter | Qt::TextWordWrap,
                     QStringLiteral("Nicht neu gezeichnet: ") + fault);
}

void ShowPicturesOf(QTextDocument& doc)
{
    ShowPicturesOn(*doc.documentLayout());
}

void ShowPicturesOn(QAbstractTextDocumentLayout& layout)
{
    if (dynamic_cast<PictureObjects*>(layout.handlerForObject(QTextFormat::ImageObject)) == nullptr)
        layout.registerHandler(QTextFormat::ImageObject, new PictureObjects(&layout));
}

void RememberVectors(const QString& imageName, VectorPainter vectors)
{
    rememberedVectors().insert(imageName, new VectorPainter(std::move(vectors)));
}

} // namespace quorvel
