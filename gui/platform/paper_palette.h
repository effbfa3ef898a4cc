// SPDX-License-Identifier: GPL-3.0-or-later
// The pages and the help text are paper: white, with the document's own colours, whatever
// the desktop's colour scheme. Everything around them follows the scheme.
#pragma once

class QTextDocument;
class QTextEdit;

namespace quorvel {

// Text without a colour of its own is black on white. The roles are set on the widget, so a
// later change of the application's palette leaves them alone.
void MakePaper(QTextEdit& edit);

// Removes every background from the document: of characters, paragraphs, frames, tables and
// their cells, colours and pictures alike. Fonts and text colours stay.
void DropBackgrounds(QTextDocument& document);

} // namespace quorvel
