// SPDX-License-Identifier: GPL-3.0-or-later
// Reading RTF into a QTextDocument: the worksheet pages, loaded documents and the help files.
// Understands the RTF that word processors and rich-edit controls write, not only our own.
#pragma once

#include <QByteArrayView>
#include <QString>

class QTextCursor;
class QTextDocument;

namespace quorvel {

// True when the data starts with "{\rtf", possibly after blanks and line ends.
bool IsRtf(QByteArrayView data);

// Replaces the document's content by the RTF text: one block per paragraph, every run with its
// font family, RTF character set (format.h), size, bold, italic, underline, colour and
// superscript or subscript. A final \par ends the last paragraph rather than starting an empty
// one, so "a\par b\par}" gives the two lines "a" and "b" (and our own files read back with as many
// lines as they were written with). \line (and a line or paragraph separator given as \uN) also
// starts a new paragraph: lines are paragraphs here.
// Damaged or hostile data never fails: what can be read is kept. Returns false, with the
// document unchanged and *error set, only when the data is not RTF at all.
bool ReadRtf(QByteArrayView data, QTextDocument& doc, QString* error = nullptr);

// Inserts a range that WriteRtfRange (writer.h) wrote at the cursor, which then stands behind
// it: the first line continues the cursor's line, and each \par is a paragraph separator in the
// format in force there. Gives back exactly the characters of the range with their formats. Data
// that is not RTF inserts nothing.
void InsertRtf(QByteArrayView data, QTextCursor& cursor);

} // namespace quorvel
