// SPDX-License-Identifier: GPL-3.0-or-later
// SheetPage: rich text from the clipboard or a drop, read as QTextEdit reads it, with its
// backgrounds removed before it reaches the page.
#include "gui/worksheet/sheet_page.h"

#include "gui/platform/paper_palette.h"

#include <QMimeData>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace quorvel {

SheetPage::SheetPage(QWidget* parent) : QTextEdit(parent) {}

void SheetPage::insertFromMimeData(const QMimeData* source)
{
    if (source == nullptr || !acceptRichText() || !source->hasHtml()) {
        QTextEdit::insertFromMimeData(source);
        return;
    }
    // Read against the page's document, as QTextEdit does, so that text without a font of its
    // own takes the page's.
    QTextDocument pasted;
    QTextCursor(&pasted).insertFragment(
        QTextDocumentFragment::fromHtml(source->html(), document()));
    DropBackgrounds(pasted);
    QTextCursor caret = textCursor();
    caret.insertFragment(QTextDocumentFragment(&pasted));
    setTextCursor(caret);
    ensureCursorVisible();
}

} // namespace quorvel
