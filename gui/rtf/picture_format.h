// SPDX-License-Identifier: GPL-3.0-or-later
// A picture in a page: an image character whose format carries the picture's file bytes as RTF
// holds them, so that the page file, the journal's ranges, undo and the clipboard all keep the
// picture as it came, also in a form the page cannot show (WMF, EMF). A diagram also carries
// the request it was drawn from, as the name/text pairs its file destination holds, and why its
// last redraw failed.
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTextFormat>

class QTextDocument;

namespace quorvel {

// The RTF word that names the bytes' form: "pngblip", "jpegblip", "emfblip", "wmetafile8" ...
inline constexpr int kPictureKindProperty = QTextFormat::UserProperty + 2;
inline constexpr int kPictureBytesProperty = QTextFormat::UserProperty + 3;
// \picw and \pich as the file gave them (pixels, or hundredths of a millimetre for metafiles).
inline constexpr int kPictureNativeSizeProperty = QTextFormat::UserProperty + 4;
// A diagram's request: name, text, name, text ... in the order written ("formel", "v*t", ...).
// A group the reader does not know has an empty name and its RTF as it came for the text.
inline constexpr int kDiagramRequestProperty = QTextFormat::UserProperty + 5;
// Why the request could not be drawn at the last redraw; the picture then is the one before.
inline constexpr int kDiagramFaultProperty = QTextFormat::UserProperty + 6;

// Twips (RTF's length unit) per pixel of the page, at 96 pixels to the inch.
inline constexpr double kTwipsPerPixel = 15.0;

struct PagePicture
{
    QString kind = QStringLiteral("pngblip");
    QByteArray bytes;
    QSize nativeSize; // \picw \pich
    QSizeF shownSize; // in page pixels (96 to the inch)
    QStringList request;
    QString fault;
};

// Whether the page can show the bytes itself (PNG or JPEG), rather than as a placeholder.
bool IsShowablePicture(const QString& kind);

// The image format of a picture; its name identifies the bytes, so that equal pictures share
// one decoded image.
QTextImageFormat ImageFormatOf(const PagePicture& picture);
// The picture a format carries; empty bytes for a format that is no page picture.
PagePicture PictureOf(const QTextFormat& format);
bool IsPagePicture(const QTextFormat& format);

// The bytes of the pictures the document's formats hold: what its file writes beyond its text.
qsizetype PictureBytesOf(const QTextDocument& doc);

// Whether a line's text holds a picture (or another object): such a line is no formula.
inline bool HoldsObject(const QString& line)
{
    return line.contains(QChar::ObjectReplacementCharacter);
}

} // namespace quorvel
