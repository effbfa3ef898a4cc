// SPDX-License-Identifier: GPL-3.0-or-later
// How a page shows its pictures (rtf/picture_format.h): at their size, but never wider than the
// text nor higher than a printed sheet; decoded only when first drawn; a form the page cannot
// decode as a labelled placeholder; a diagram whose last redraw failed in a red frame with the
// reason. On paper a diagram drawn in this session is painted as vectors.
#pragma once

#include <QString>

#include <functional>

class QAbstractTextDocumentLayout;
class QPainter;
class QRectF;
class QTextDocument;

namespace quorvel {

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
