// SPDX-License-Identifier: GPL-3.0-or-later
// Formula text between QTextEdit and the library, with CR LF as the line break.
#include "gui/formula_library/formula_text.h"

#include <QTextEdit>

namespace quorvel {

namespace {

// CR LF, CR and LF each become one '\n', which setPlainText turns into one new block.
QString toEditorLineBreaks(const QString& text)
{
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

} // namespace

void setTextWithLineBreaks(QTextEdit& editor, const QString& text)
{
    editor.setPlainText(toEditorLineBreaks(text));
}

} // namespace quorvel
