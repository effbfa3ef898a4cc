// SPDX-License-Identifier: GPL-3.0-or-later
// The keys of both pages: Enter and Esc, and the dispatch of the key table (key_table.h). The event
// filter lets them act before the editor: a consumed key never reaches QTextEdit (Enter never
// splits a line, Ctrl+Insert never copies).
#include "gui/worksheet/main_window.h"

#include "gui/rtf/picture_format.h"
#include "gui/worksheet/key_table.h"

#include <QKeyEvent>
#include <QTextEdit>

namespace quorvel {
namespace {

constexpr char16_t kEnter = 13;
constexpr char16_t kEsc = 27;

// The character the original key-press handler received for this key, or 0.
QChar typedCharacter(const QKeyEvent& event)
{
    const bool ctrl = event.modifiers().testFlag(Qt::ControlModifier);
    if ((event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) && !ctrl)
        return QChar(kEnter);
    if (event.key() == Qt::Key_Escape)
        return QChar(kEsc);
    const QString text = event.text();
    return text.size() == 1 ? text.front() : QChar();
}

} // namespace

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress &&
        (watched == m_calculationPage || watched == m_notesPage)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (MemoKeyDown(key->key(), key->modifiers()))
            return true;
        const QChar ch = typedCharacter(*key);
        if (!ch.isNull() && MemoKeyPress(ch))
            return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::MemoKeyPress(QChar key)
{
    if (key == QChar(kEnter)) {
        SheetEditor& sheet = currentSheet();
        const int row = sheet.caretRow();
        const QString text = sheet.line(row);
        if (HoldsObject(text))
            return false; // a picture's line is no formula: Enter breaks it as in any editor
        const LineEvaluator::EnterOutcome outcome =
            m_lines.Enter(text.toStdU16String(), Decimals());
        if (outcome.listing == ListCommand::None)
            ShowLine(row, text, outcome.line);
        else
            insertQuantityList(outcome.entries);
        return true;
    }
    if (key == QChar(kEsc))
        InsertLastResult(); // and passed on: the editor has no use for it
    return false;
}

bool MainWindow::MemoKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const SheetKey* row = FindPageKey(key, modifiers);
    if (row == nullptr)
        return false;
    switch (row->command) {
    case SheetCommand::InsertEmptyLine:
        InsertEmptyLine();
        break;
    case SheetCommand::RecalculateSheet:
        RecalcSheet();
        break;
    case SheetCommand::LargerFont:
        ChangeFontSize(+1);
        break;
    case SheetCommand::SmallerFont:
        ChangeFontSize(-1);
        break;
    case SheetCommand::SelectAll:
        currentSheet().selectAll();
        break;
    case SheetCommand::Bold:
        ToggleStyle(StyleBold);
        break;
    case SheetCommand::Italic:
        ToggleStyle(StyleItalic);
        break;
    case SheetCommand::Underline:
        ToggleStyle(StyleUnderline);
        break;
    case SheetCommand::Superscript:
        SetScript(ScriptPosition::Superscript);
        break;
    case SheetCommand::Subscript:
        SetScript(ScriptPosition::Subscript);
        break;
    case SheetCommand::StandardFont:
        StandardFont();
        break;
    case SheetCommand::FontDialog:
        FontDialog();
        break;
    case SheetCommand::UnitDefinitions:
        ShowUnitDefinitions();
        break;
    case SheetCommand::Keypad:
        ShowKeypad();
        break;
    case SheetCommand::Redo:
        currentSheet().redo();
        break;
    default: // Consumed; the other commands are no keys of the pages
        break;
    }
    return true;
}

} // namespace quorvel
