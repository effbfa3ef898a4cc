// SPDX-License-Identifier: GPL-3.0-or-later
// How a page shows its pictures (rtf/picture_format.h): at their size, but never wider than the
// text nor higher than a printed sheet; decoded only when first drawn; a form the page cannot
// decode as a labelled placeholder; a diagram whose last redraw failed in a red frame with the
// reason. On paper a diagram drawn in this session is painted as vectors.
#pragma once

#include <QObject>
#include <QString>
#include <QTextObjectInterface>

#include <functional>

class QAbstractTextDocumentLayout;
class QPainter;
class QRectF;
class QTextDocument;

namespace quorvel {

struct PagePicture;

// The drawing of a layout's image characters; ShowPicturesOn installs it.
class PictureObjects : public QObject, public QTextObjectInterface
{
    Q_OBJECT
    Q_INTERFACES(QTextObjectInterface)

public:
    using QObject::QObject;

    QSizeF intrinsicSize(QTextDocument* doc, int position, const QTextFormat& format) override;
    void drawObject(QPainter* painter, const QRectF& rect, QTextDocument* doc, int position,
                    const QTextFormat& format) override;

private:
    static double devicePixelsOf(const QPainter& painter);
    static void drawPlaceholder(QPainter& painter, const QRectF& rect, const PagePicture& picture);
    // The reason a diagram was not redrawn, over its old picture, as a failing line is red.
    static void drawFault(QPainter& painter, const QRectF& rect, const QString& fault);
};

// Installs the page's picture drawing on the document's present layout. A new layout (a long
// page's, a printout's copy) needs it again.
void ShowPicturesOf(QTextDocument& doc);
void ShowPicturesOn(QAbstractTextDocumentLayout& layout);

// Paints a picture's vectors into a rectangle.
using VectorPainter = std::function<void(QPainter&, const QRectF&)>;

// Keeps the vectors of the picture of that image name for printouts and PDF files, for the
// rest of the session (the most recent ones, within a bound).
void RememberVectors(const QString& imageName, VectorPainter vectors);

} // namespace quorvel
