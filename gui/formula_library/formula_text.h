// SPDX-License-Identifier: GPL-3.0-or-later
// Formula text between the editors and the library: the line-break marks on QString, and the
// formula window's text field filled from text with CR LF line breaks, the way the original
// rich-edit control took them, so that stored formulas stay compatible with legacy settings
// files.
#pragma once

#include "engine/base/line_breaks.h"

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

// Sets the editor's whole content to text; CR LF, a lone CR and a lone LF each start one new
// paragraph.
void setTextWithLineBreaks(QTextEdit& editor, const QString& text);

} // namespace quorvel
