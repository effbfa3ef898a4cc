// SPDX-License-Identifier: GPL-3.0-or-later
// The key tables for both pages. The event filter lets them act before the editor:
// a consumed key never reaches QTextEdit (Enter never splits a line, Ctrl+Insert never copies).
#include "worksheet/main_window.h"

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
    if (event->type() == QEvent::KeyPress && (watched == Memo1 || watched == Memo2)) {
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
        const LineEvaluator::EnterOutcome outcome =
            m_lines.Enter(text.toStdU16String(), Decimals());
        if (outcome.listing == ListCommand::None)
            ShowLine(row, text, outcome.line);
        else
            ListQuantities(outcome.entries);
        return true;
    }
    if (key == QChar(kEsc))
        InsertLastResult(); // and passed on: the editor has no use for it
    return false;
}

bool MainWindow::MemoKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    const bool ctrlMode =
        modifiers.testFlag(Qt::ControlModifier) && !modifiers.testFlag(Qt::AltModifier);
    if (!ctrlMode) {
        switch (key) {
        case Qt::Key_Insert:
            InsertEmptyLine();
            return true;
        case Qt::Key_F9:
            RecalcSheet();
            return true;
        default:
            return false;
        }
    }

    switch (key) {
    case Qt::Key_Up:
        ChangeFontSize(+1);
        return true;
    case Qt::Key_Down:
        ChangeFontSize(-1);
        return true;
    case Qt::Key_A:
        currentSheet().selectAll();
        return true;
    case Qt::Key_B:
        ToggleStyle(StyleBold);
        return true;
    case Qt::Key_E:
        ShowUnitDefinitions();
        return true;
    case Qt::Key_F:
        FontDialog();
        return true;
    case Qt::Key_H:
        SetScript(ScriptPosition::Superscript);
        return true;
    case Qt::Key_K:
        ToggleStyle(StyleItalic);
        return true;
    case Qt::Key_L:
        SetScript(ScriptPosition::Subscript);
        return true;
    case Qt::Key_N:
        StandardFont();
        return true;
    case Qt::Key_T:
        ShowKeypad();
        return true;
    case Qt::Key_U:
        ToggleStyle(StyleUnderline);
        return true;
    case Qt::Key_Execute: // virtual-key code 43
    case Qt::Key_Insert:  // 45: Ctrl+Insert does not copy
        return true;
    default:
        return false;
    }
}

} // namespace quorvel
