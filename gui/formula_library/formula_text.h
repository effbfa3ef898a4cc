// Formula text between the editors and the library: the line-break marks on QString, and the
// line breaks of a QTextEdit written as CR LF, the way the original rich-edit control gave and
// took them, so that stored formulas stay compatible with legacy settings files.
#pragma once

#include "base/line_breaks.h"

#include <QString>

class QTextEdit;

namespace quorvel {

// QString faces of the one implementation in line_breaks.h.
inline QString EncodeLineBreaks(const QString& text)
{
    return QString::fromStdU16String(EncodeLineBreaks(text.toStdU16String()));
}
inline QString DecodeLineBreaks(const QString& text)
{
    return QString::fromStdU16String(DecodeLineBreaks(text.toStdU16String()));
}

// The editor's selected text with CR LF between its lines (Qt gives U+2029 between paragraphs
// and U+2028 at soft line breaks); empty when nothing is selected.
QString selectedTextWithLineBreaks(const QTextEdit& editor);

// Replaces the editor's selection by text (inserting at the caret when nothing is selected).
// CR LF, a lone CR and a lone LF each start one new paragraph. The inserted text takes the
// character format at the caret, the caret ends behind it, the focus is left alone, and the
// whole insertion is one undo step.
void replaceSelection(QTextEdit& editor, const QString& text);

// Sets the editor's whole content to text, with the line breaks read as in replaceSelection.
void setTextWithLineBreaks(QTextEdit& editor, const QString& text);

} // namespace quorvel
