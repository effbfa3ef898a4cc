// SPDX-License-Identifier: GPL-3.0-or-later
// Diagrams inside a page: a diagram becomes a page picture (rtf/picture_format.h) that keeps the
// request it was drawn from, so that the page file holds both the picture other programs show
// and what redraws it; F9 draws every diagram of the page again after its lines.
#pragma once

#include "engine/diagram/sampling.h"
#include "gui/rtf/picture_format.h"

#include <QStringList>

#include <optional>

class QTextCursor;
class QTextDocument;

namespace quorvel {

// A diagram in the page has a report's size: 600 × 360 pixels of the page (15.9 × 9.5 cm).
inline constexpr double kPageDiagramWidth = 600.0;
inline constexpr double kPageDiagramHeight = 360.0;

// The request as the pairs its file destination holds:
// "formel", "v*t", ["anzeige", "30m",] ["name", "weg",] ..., "variable", "t", "von", "0s",
// "bis", "10s", "punkte", "201" [, "logx", "", "logy", ""].
QStringList RequestPairs(const DiagramRequest& request);
// The request of such pairs, or nothing when they name no formula or no variable. Pairs it does
// not know are passed over.
std::optional<DiagramRequest> RequestOfPairs(const QStringList& pairs);

// The diagram as a page picture of a report's size, with its request: a PNG at 300 dots per
// inch for the screen and other programs, and its vectors kept for printouts of this session.
PagePicture DiagramPicture(const DiagramData& data);

// Puts the picture on a line of its own after the cursor's line, as one undo step; the cursor
// then stands on the picture.
void InsertPictureLine(QTextCursor& cursor, const PagePicture& picture);

// Replaces the picture at position (an image character) by another, as one undo step.
void ReplacePicture(QTextDocument& doc, int position, const PagePicture& picture);

// The position of the diagram on the cursor's line, or at the position itself; -1 if none.
int DiagramAt(const QTextDocument& doc, int position);

// Draws every diagram of the page again from its request with the page's evaluator as it is
// now. One that no longer draws keeps its picture and is marked with the reason. A diagram whose
// picture would not change is not touched. Part of the caller's edit block.
void RedrawDiagrams(QTextDocument& doc, const TEFParser& parser);

} // namespace quorvel
