// SPDX-License-Identifier: GPL-3.0-or-later
// The editing commands on the active page: insertion at the caret, the character
// formats (styles, script position, size, standard font, font dialog) and the "Bearbeiten"
// menu's commands.
#include "gui/worksheet/main_window.h"

#include "engine/base/quorvel_error.h"
#include "gui/platform/message_boxes.h"
#include "gui/worksheet/font_dialog.h"

#include <QTextEdit>

namespace quorvel {
namespace {

const QColor kBlack(0, 0, 0);

} // namespace

void MainWindow::InsertText(const QString& text, int back)
{
    SheetEditor& sheet = currentSheet();
    sheet.replaceSelection(text);
    const int p = sheet.caretPosition();
    focusWorksheet();
    sheet.setCaretPosition(p - back);
}

// A click into the keypad makes it the active window; the page's focus alone would wait there
// until the main window is activated again, and the next typed key would go to the keypad.
void MainWindow::focusWorksheet()
{
    activateWindow();
    CurrentEditor()->setFocus(Qt::OtherFocusReason);
}

QWidget* MainWindow::currentPage()
{
    return CurrentEditor();
}

void MainWindow::replaceSelection(const QString& text)
{
    currentSheet().replaceSelection(text);
}

QString MainWindow::selectedText() const
{
    return currentSheet().selectedText();
}

void MainWindow::deleteCharacterBeforeSelection()
{
    currentSheet().deleteCharacterBeforeSelection();
}

void MainWindow::clearCaretLine()
{
    SheetEditor& sheet = currentSheet();
    sheet.replaceLine(sheet.caretRow(), {});
}

void MainWindow::rewriteCaretLine()
{
    SheetEditor& sheet = currentSheet();
    sheet.rewriteLine(sheet.caretRow());
}

void MainWindow::InsertLastResult()
{
    currentSheet().setSelectionColor(kBlack);
    currentSheet().replaceSelection(QString::fromStdU16String(LastResult()), kBlack);
}

void MainWindow::InsertEmptyLine()
{
    SheetEditor& sheet = currentSheet();
    sheet.insertLineBefore(sheet.caretRow());
}

void MainWindow::ToggleStyle(int style)
{
    SheetEditor& sheet = currentSheet();
    sheet.setSelectionStyle(sheet.selectionFormat().style ^ style);
}

void MainWindow::AddStyle(int style)
{
    SheetEditor& sheet = currentSheet();
    sheet.setSelectionStyle(sheet.selectionFormat().style | style);
}

void MainWindow::SetScript(ScriptPosition position)
{
    currentSheet().setSelectionScript(position);
}

void MainWindow::ChangeFontSize(int delta)
{
    SheetEditor& sheet = currentSheet();
    const int size = sheet.selectionFormat().size;
    if (delta > 0)
        sheet.setSelectionSize(size + delta);
    else if (size > 5)
        sheet.setSelectionSize(size - 1);
}

void MainWindow::StandardFont()
{
    SheetEditor& sheet = currentSheet();
    CharFormat format = sheet.selectionFormat();
    format.name = QStringLiteral("Arial");
    format.size = 11;
    format.style = StyleBold;
    format.color = kBlack;
    sheet.setSelectionFormat(format);
    SetScript(ScriptPosition::Normal);
}

void MainWindow::FontDialog()
{
    SheetEditor& sheet = currentSheet();
    SheetFontDialog dialog(this);
    dialog.setCharFormat(sheet.selectionFormat());
    if (dialog.exec() == QDialog::Accepted)
        sheet.setSelectionFormat(dialog.charFormat());
}

void MainWindow::onUndo()
{
    currentSheet().undo();
}

void MainWindow::onRedo()
{
    currentSheet().redo();
}

void MainWindow::onCopyAll()
{
    currentSheet().selectAll();
    currentSheet().copy();
}

void MainWindow::onCopy()
{
    currentSheet().copy();
}

void MainWindow::onPaste()
{
    currentSheet().paste();
}

void MainWindow::onClearSheet()
{
    if (ConfirmYesNo(QStringLiteral("Wollen Sie das aktuelle Arbeitsblatt löschen?"), this))
        currentSheet().clear();
}

void MainWindow::onRecalculateSheet()
{
    RecalcSheet();
}

void MainWindow::onClearAllVariables()
{
    if (ConfirmYesNo(QStringLiteral("Wollen Sie alle Variablen löschen?"), this))
        m_parser.Vars.Clear();
    try {
        m_parser.SetVar(u"Pi", TSINumber{3.141592653589793, {}});
    } catch (const QuorvelError& e) { // "Pi" made a unit by the user's definitions
        ShowErrorMessage(QString::fromStdU16String(e.message()), this);
    }
}

} // namespace quorvel
