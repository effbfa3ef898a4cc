// SPDX-License-Identifier: GPL-3.0-or-later
// The editor layer: what the worksheet code needs of a rich-text page, the way the original
// editor control offered it (line i, caret row and column, the selection's character format,
// undo, clipboard), on top of a QTextEdit whose blocks are the lines.
#pragma once

#include "gui/rtf/format.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QTextCursor>
#include <QTextFormat>

class QTextEdit;

namespace quorvel {

// A piece of a line written in one colour; the rest of its format is the line's own.
struct TextRun
{
    QString text;
    QColor color;
};

// The style set: bits 0, 1, 2.
enum FontStyle : int { StyleBold = 1, StyleItalic = 2, StyleUnderline = 4 };

// The character format of the selection as the commands see it, every field resolved (a field
// the text does not set comes from the page's default font).
struct CharFormat
{
    QString name;
    int size = 0;  // whole points, as the original editor reported them
    int style = 0; // FontStyle bits
    QColor color;
    int charset = kDefaultRtfCharset; // the Windows character set number
    ScriptPosition script = ScriptPosition::Normal;
};

class SheetEditor
{
public:
    explicit SheetEditor(QTextEdit& edit);

    QTextEdit& widget() const { return m_edit; }

    // Lines. Out-of-range indices give an empty text.
    int lineCount() const;
    QString line(int i) const;
    bool isLastLine(int i) const { return i == lineCount() - 1; }
    // Replaces the text of line i by the runs, keeping the format of the line's first character
    // apart from the colour; the caret ends behind the last run.
    void replaceLine(int i, const QList<TextRun>& runs);
    // A new last line in black; the caret does not move.
    void appendLine(const QString& text = {});
    // An empty line in front of line i; the caret goes onto it.
    void insertLineBefore(int i);
    // Writes line i again with its own text, as a line assignment of the original control did:
    // the whole line takes the format of its first character and the caret ends behind it.
    void rewriteLine(int i);

    // Caret. setCaret clamps the column to the line.
    int caretRow() const;
    int caretColumn() const;
    void setCaret(int row, int column);
    int caretPosition() const;
    void setCaretPosition(int position);

    // The caret moves of a long run of edits (a recalculation) go to an inner cursor and reach
    // the widget once, at the end; the edits form one undo step.
    void beginBatch();
    void endBatch();

    // Selection.
    bool hasSelection() const;
    // The new text takes the format of the selection's first character (or of the insertion
    // point), in the given colour when one is given.
    void replaceSelection(const QString& text, const QColor& color = QColor());
    // The selected text with CR LF between its lines, as the original control gave it; empty
    // without a selection.
    QString selectedText() const;
    // Deletes the character before the selection's start, or the first character when the
    // caret stands at the very start; the rest of a selection stays.
    void deleteCharacterBeforeSelection();
    void selectAll();
    CharFormat selectionFormat() const;
    // Name, size, style, colour and character set; the script position stays.
    void setSelectionFormat(const CharFormat& format);
    void setSelectionStyle(int style);
    void setSelectionSize(int points);
    void setSelectionColor(const QColor& color);
    void setSelectionScript(ScriptPosition script);

    // The editor's own commands.
    void undo();
    void redo();
    void copy();
    void paste();
    void clear();

private:
    QTextCursor caret() const;
    QTextCharFormat selectionCharFormat() const;
    void putCaret(const QTextCursor& cursor);
    void putCaretAt(int position);

    QTextEdit& m_edit;
    int m_batchDepth = 0;
    QTextCursor m_batchCaret;
};

} // namespace quorvel
