// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a QTextDocument as RTF: the worksheet pages and saved documents.
#pragma once

#include <QByteArray>

class QTextDocument;

namespace quorvel {

// RTF 1.x of the whole document: one \par-terminated paragraph per block, runs with font family,
// RTF character set (format.h), size, bold, italic, underline, colour and superscript or
// subscript. Properties a run does not set are taken from the document's default font, and
// a run without a foreground colour gets the automatic colour (\cf0). Characters that the run's
// code page (Windows-1252 for character set 0) has are written as \'hh, all others as \uN?.
QByteArray WriteRtf(const QTextDocument& doc);

// The characters from..to of the document as RTF in the same form, for InsertRtf (reader.h):
// every paragraph separator inside the range is a \par preceded by its own format, and no \par
// ends the last line, so the reader gives back exactly the characters of the range with all
// their formats. Costs in proportion to the range, not to the document.
QByteArray WriteRtfRange(const QTextDocument& doc, int from, int to);

} // namespace quorvel
