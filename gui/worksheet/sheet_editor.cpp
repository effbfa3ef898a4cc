// SPDX-License-Identifier: GPL-3.0-or-later
// The editor layer over QTextEdit: lines are the document's blocks, so finding line i and the
// caret's row are lookups in the document's block map and do not grow with the page.
#include "gui/worksheet/sheet_editor.h"

#include <QFont>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

namespace quorvel {
namespace {

// The format of a line's first character, or the line's own character format when it is empty.
QTextCharFormat firstCharFormat(const QTextBlock& block)
{
    const QTextBlock::iterator it = block.begin();
    if (!it.atEnd())
        return it.fragment().charFormat();
    return block.charFormat();
}

void setFontName(QTextCharFormat& format, const QString& name)
{
    format.setFontFamilies(QStringList{name});
}

// The new text of a line as spans: the line's first format in each run's colour.
struct Span
{
    int start;
    int end;
    QTextCharFormat format;
};

QList<Span> spansOf(const QList<TextRun>& runs, const QTextCharFormat& base, QString& text)
{
    QList<Span> spans;
    for (const TextRun& run : runs) {
        if (run.text.isEmpty())
            continue;
        QTextCharFormat format = base;
        format.setForeground(run.color);
        const int start = static_cast<int>(text.size());
        text += run.text;
        spans.append({start, static_cast<int>(text.size()), format});
    }
    return spans;
}

// How many leading characters of the block already read as the new text would: the same
// characters in the same format. Only the rest is rewritten, and a line that is up to date (F9
// on an unchanged sheet) is not touched at all.
// Text without a colour of its own is drawn in the page's text colour, so it matches a span
// of that colour.
int matchingPrefix(const QTextBlock& block, const QString& text, const QList<Span>& spans,
                   const QColor& textColor)
{
    const QString old = block.text();
    const qsizetype limit = qMin(old.size(), text.size());
    int n = 0;
    while (n < limit && old[n] == text[n])
        ++n;
    const int blockStart = block.position();
    for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const int start = fragment.position() - blockStart;
        if (start >= n)
            break;
        const int end = start + fragment.length();
        QTextCharFormat format = fragment.charFormat();
        if (!format.hasProperty(QTextFormat::ForegroundBrush))
            format.setForeground(textColor);
        for (const Span& span : spans) {
            if (span.start < end && start < span.end && !(span.format == format))
                n = qMin(n, qMax(start, span.start));
        }
    }
    return n;
}

} // namespace

SheetEditor::SheetEditor(QTextEdit& edit) : m_edit(edit) {}

int SheetEditor::lineCount() const
{
    return m_edit.document()->blockCount();
}

QString SheetEditor::line(int i) const
{
    const QTextBlock block = m_edit.document()->findBlockByNumber(i);
    return block.isValid() ? block.text() : QString();
}

void SheetEditor::replaceLine(int i, const QList<TextRun>& runs)
{
    const QTextBlock block = m_edit.document()->findBlockByNumber(i);
    if (!block.isValid())
        return;
    QString text;
    const QList<Span> spans = spansOf(runs, firstCharFormat(block), text);
    const int kept = matchingPrefix(block, text, spans, m_edit.palette().color(QPalette::Text));
    const int lineEnd = block.position() + block.length() - 1;
    if (kept == text.size() && block.length() - 1 == kept) {
        putCaretAt(lineEnd);
        return;
    }
    QTextCursor c(block);
    c.beginEditBlock();
    c.setPosition(block.position() + kept);
    c.setPosition(lineEnd, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    for (const Span& span : spans) {
        if (span.end <= kept)
            continue;
        const int from = qMax(span.start, kept);
        c.insertText(text.mid(from, span.end - from), span.format);
    }
    c.endEditBlock();
    putCaretAt(c.position());
}

void SheetEditor::appendLine(const QString& text)
{
    QTextCursor c(m_edit.document());
    c.setPosition(m_edit.document()->characterCount() - 1);
    QTextCharFormat format = c.charFormat();
    format.setForeground(QColor(Qt::black));
    c.beginEditBlock();
    c.insertBlock(c.blockFormat(), format);
    if (!text.isEmpty())
        c.insertText(text, format);
    c.endEditBlock();
}

void SheetEditor::insertLineBefore(int i)
{
    const QTextBlock block = m_edit.document()->findBlockByNumber(i);
    if (!block.isValid())
        return;
    QTextCursor c(block);
    c.insertBlock();
    c.setPosition(c.position() - 1); // the new empty line in front
    putCaret(c);
}

void SheetEditor::rewriteLine(int i)
{
    const QTextBlock block = m_edit.document()->findBlockByNumber(i);
    if (!block.isValid())
        return;
    const QTextCharFormat first = firstCharFormat(block);
    const QColor color = first.hasProperty(QTextFormat::ForegroundBrush)
                             ? first.foreground().color()
                             : m_edit.palette().color(QPalette::Text);
    replaceLine(i, {TextRun{block.text(), color}});
}

QTextCursor SheetEditor::caret() const
{
    return m_batchDepth > 0 ? m_batchCaret : m_edit.textCursor();
}

void SheetEditor::putCaret(const QTextCursor& cursor)
{
    if (m_batchDepth > 0)
        m_batchCaret.setPosition(cursor.position());
    else
        m_edit.setTextCursor(cursor);
}

// By setPosition, not movePosition: moving by lines or blocks lays the line out first. In a batch
// only the inner cursor moves, without a cursor of its own for each line.
void SheetEditor::putCaretAt(int position)
{
    if (m_batchDepth > 0) {
        m_batchCaret.setPosition(position);
        return;
    }
    QTextCursor c(m_edit.document());
    c.setPosition(position);
    m_edit.setTextCursor(c);
}

int SheetEditor::caretRow() const
{
    return caret().blockNumber();
}

int SheetEditor::caretColumn() const
{
    return caret().positionInBlock();
}

int SheetEditor::caretPosition() const
{
    return caret().position();
}

void SheetEditor::setCaret(int row, int column)
{
    QTextBlock block = m_edit.document()->findBlockByNumber(row);
    if (!block.isValid())
        block = m_edit.document()->lastBlock();
    putCaretAt(block.position() + qBound(0, column, block.length() - 1));
}

void SheetEditor::setCaretPosition(int position)
{
    putCaretAt(qBound(0, position, m_edit.document()->characterCount() - 1));
}

void SheetEditor::beginBatch()
{
    if (m_batchDepth++ == 0) {
        m_batchCaret = m_edit.textCursor();
        m_batchCaret.clearSelection();
        m_batchCaret.beginEditBlock();
    }
}

void SheetEditor::endBatch()
{
    if (m_batchDepth <= 0 || --m_batchDepth > 0)
        return;
    m_batchCaret.endEditBlock();
    QTextCursor c(m_edit.document());
    c.setPosition(m_batchCaret.position());
    m_batchCaret = QTextCursor();
    m_edit.setTextCursor(c);
}

bool SheetEditor::hasSelection() const
{
    return m_edit.textCursor().hasSelection();
}

QTextCharFormat SheetEditor::selectionCharFormat() const
{
    const QTextCursor c = m_edit.textCursor();
    if (!c.hasSelection())
        return c.charFormat();
    QTextCursor first(m_edit.document());
    first.setPosition(c.selectionStart() + 1);
    return first.charFormat();
}

void SheetEditor::replaceSelection(const QString& text, const QColor& color)
{
    QTextCharFormat format = selectionCharFormat();
    format.clearProperty(QTextFormat::ObjectType);
    if (color.isValid())
        format.setForeground(color);
    QTextCursor c = m_edit.textCursor();
    c.insertText(text, format);
    m_edit.setTextCursor(c);
}

QString SheetEditor::selectedText() const
{
    // Qt marks paragraph ends with U+2029 and soft line breaks with U+2028.
    QString text = m_edit.textCursor().selectedText();
    text.replace(QChar(QChar::ParagraphSeparator), QStringLiteral("\r\n"));
    text.replace(QChar(QChar::LineSeparator), QStringLiteral("\r\n"));
    return text;
}

void SheetEditor::deleteCharacterBeforeSelection()
{
    QTextCursor c = m_edit.textCursor();
    const int start = qMax(0, c.selectionStart() - 1);
    const int last = m_edit.document()->characterCount() - 1;
    c.setPosition(start);
    c.setPosition(qMin(start + 1, last), QTextCursor::KeepAnchor);
    c.removeSelectedText();
    m_edit.setTextCursor(c);
}

void SheetEditor::selectAll()
{
    m_edit.selectAll();
}

CharFormat SheetEditor::selectionFormat() const
{
    const QTextCharFormat f = selectionCharFormat();
    const QFont font = f.font().resolve(m_edit.document()->defaultFont());
    CharFormat result;
    result.name = font.families().value(0, font.family());
    result.size = qRound(font.pointSizeF());
    result.style = (font.bold() ? StyleBold : 0) | (font.italic() ? StyleItalic : 0) |
                   (font.underline() ? StyleUnderline : 0);
    result.color = f.hasProperty(QTextFormat::ForegroundBrush)
                       ? f.foreground().color()
                       : m_edit.palette().color(QPalette::Text);
    result.charset = RtfCharset(f);
    result.script = ScriptOf(f);
    return result;
}

void SheetEditor::setSelectionFormat(const CharFormat& format)
{
    QTextCharFormat m;
    setFontName(m, format.name);
    m.setFontPointSize(format.size);
    m.setFontWeight((format.style & StyleBold) != 0 ? QFont::Bold : QFont::Normal);
    m.setFontItalic((format.style & StyleItalic) != 0);
    m.setFontUnderline((format.style & StyleUnderline) != 0);
    m.setForeground(format.color);
    SetRtfCharset(m, format.charset);
    m_edit.mergeCurrentCharFormat(m);
}

void SheetEditor::setSelectionStyle(int style)
{
    QTextCharFormat m;
    m.setFontWeight((style & StyleBold) != 0 ? QFont::Bold : QFont::Normal);
    m.setFontItalic((style & StyleItalic) != 0);
    m.setFontUnderline((style & StyleUnderline) != 0);
    m_edit.mergeCurrentCharFormat(m);
}

void SheetEditor::setSelectionSize(int points)
{
    QTextCharFormat m;
    m.setFontPointSize(points);
    m_edit.mergeCurrentCharFormat(m);
}

void SheetEditor::setSelectionColor(const QColor& color)
{
    QTextCharFormat m;
    m.setForeground(color);
    m_edit.mergeCurrentCharFormat(m);
}

void SheetEditor::setSelectionScript(ScriptPosition script)
{
    QTextCharFormat m;
    SetScript(m, script);
    m_edit.mergeCurrentCharFormat(m);
}

void SheetEditor::undo()
{
    m_edit.undo();
}

void SheetEditor::redo()
{
    m_edit.redo();
}

void SheetEditor::copy()
{
    m_edit.copy();
}

void SheetEditor::paste()
{
    m_edit.paste();
}

void SheetEditor::clear()
{
    m_edit.clear();
}

} // namespace quorvel
