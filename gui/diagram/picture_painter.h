// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's drawing model painted with QPainter, item for item, as the SVG writer writes it:
// the window, the PNG and PDF files, the printout and the clipboard all show the picture the
// SVG file shows.
#pragma once

#include "engine/diagram/drawing.h"

class QPainter;

namespace quorvel {

// Paints the picture with one picture unit as one unit of the painter's present coordinates;
// a caller that wants another size scales the painter first.
void PaintPicture(QPainter& painter, const Picture& picture);

} // namespace quorvel
