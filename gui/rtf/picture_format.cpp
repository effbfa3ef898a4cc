// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/rtf/picture_format.h"

#include <QCryptographicHash>
#include <QTextDocument>

namespace quorvel {

bool IsShowablePicture(const QString& kind)
{
    return kind == QLatin1String("pngblip") || kind == QLatin1String("jpegblip");
}

QTextImageFormat ImageFormatOf(const PagePicture& picture)
{
    QTextImageFormat format;
    format.setName(QStringLiteral("quorvel-bild:") +
                   QString::fromLatin1(
                       QCryptographicHash::hash(picture.bytes, QCryptographicHash::Sha1).toHex()));
    if (picture.shownSize.width() > 0 && picture.shownSize.height() > 0) {
        format.setWidth(picture.shownSize.width());
        format.setHeight(picture.shownSize.height());
    }
    format.setProperty(kPictureKindProperty, picture.kind);
    format.setProperty(kPictureBytesProperty, picture.bytes);
    format.setProperty(kPictureNativeSizeProperty, picture.nativeSize);
    if (!picture.request.isEmpty()) {
        format.setProperty(kDiagramRequestProperty, picture.request);
        // What the picture shows, for the pointer: «Diagramm: v*t, 2*v*t über t».
        QStringList formulas;
        QString variable;
        for (qsizetype k = 0; k + 1 < picture.request.size(); k += 2) {
            if (picture.request[k] == QLatin1String("formel"))
                formulas << picture.request[k + 1];
            else if (picture.request[k] == QLatin1String("variable"))
                variable = picture.request[k + 1];
        }
        format.setToolTip(QStringLiteral("Diagramm: %1 \u00FCber %2 (Doppelklick: \u00E4ndern)")
                              .arg(formulas.join(QStringLiteral(", ")), variable));
    }
    if (!picture.fault.isEmpty())
        format.setProperty(kDiagramFaultProperty, picture.fault);
    return format;
}

qsizetype PictureBytesOf(const QTextDocument& doc)
{
    qsizetype bytes = 0;
    for (const QTextFormat& format : doc.allFormats())
        if (IsPagePicture(format))
            bytes += format.property(kPictureBytesProperty).toByteArray().size();
    return bytes;
}

bool IsPagePicture(const QTextFormat& format)
{
    return format.isImageFormat() && format.hasProperty(kPictureBytesProperty);
}

PagePicture PictureOf(const QTextFormat& format)
{
    PagePicture picture;
    if (!IsPagePicture(format))
        return picture;
    const QTextImageFormat image = format.toImageFormat();
    picture.kind = format.stringProperty(kPictureKindProperty);
    picture.bytes = format.property(kPictureBytesProperty).toByteArray();
    picture.nativeSize = format.property(kPictureNativeSizeProperty).toSize();
    picture.shownSize = QSizeF(image.width(), image.height());
    picture.request = format.property(kDiagramRequestProperty).toStringList();
    picture.fault = format.stringProperty(kDiagramFaultProperty);
    return picture;
}

} // namespace quorvel
