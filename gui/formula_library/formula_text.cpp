// Formula text between QTextEdit and the library, with CR LF as the line break.
#include "formula_library/formula_text.h"

#include <QTextCursor>
#include <QTextEdit>

namespace quorvel {

namespace {

// CR LF, CR and LF each become one '\n', which QTextCursor::insertText turns into one new block.
QString toEditorLineBreaks(const QString& text)
{
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return result;
}

} // namespace

QString selectedTextWithLineBreaks(const QTextEdit& editor)
{
    QString text = editor.textCursor().selectedText();
    text.replace(QChar(QChar::ParagraphSeparator), QStringLiteral("\r\n"));
    text.replace(QChar(QChar::LineSeparator), QStringLiteral("\r\n"));
    return text;
}

void replaceSelection(QTextEdit& editor, const QString& text)
{
    QTextCursor cursor = editor.textCursor();
    cursor.beginEditBlock();
    cursor.insertText(toEditorLineBreaks(text));
    cursor.endEditBlock();
    editor.setTextCursor(cursor);
}

void setTextWithLineBreaks(QTextEdit& editor, const QString& text)
{
    editor.setPlainText(toEditorLineBreaks(text));
}

} // namespace quorvel
