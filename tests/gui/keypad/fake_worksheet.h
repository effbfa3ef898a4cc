// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for the main window: one page in a window of its own, edited through the
// worksheet's editor layer as the main window does, and a record of the keys the keypad hands to
// the worksheet's key handling.
#pragma once

#include "gui/keypad/worksheet_port.h"
#include "gui/worksheet/sheet_editor.h"

#include <QTextEdit>
#include <QVBoxLayout>
#include <QWidget>

class FakeWorksheet : public quorvel::WorksheetPort
{
public:
    FakeWorksheet()
    {
        window.setObjectName(QStringLiteral("Form1"));
        editor->setObjectName(QStringLiteral("Memo1"));
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(editor);
        window.resize(300, 200);
    }

    void InsertText(const QString& text, int back) override
    {
        sheet.replaceSelection(text);
        const int p = sheet.caretPosition();
        focusWorksheet();
        sheet.setCaretPosition(p - back);
    }

    void focusWorksheet() override
    {
        window.activateWindow();
        editor->setFocus();
    }
    void replaceSelection(const QString& text) override { sheet.replaceSelection(text); }
    void deleteCharacterBeforeSelection() override { sheet.deleteCharacterBeforeSelection(); }
    void clearCaretLine() override { sheet.replaceLine(sheet.caretRow(), {}); }
    void rewriteCaretLine() override { sheet.rewriteLine(sheet.caretRow()); }

    // Enter is only recorded (the line evaluation is not the keypad's business); Esc inserts the
    // last result as the worksheet does.
    bool MemoKeyPress(QChar key) override
    {
        keys.append(key);
        if (key == QChar(27))
            sheet.replaceSelection(lastResult);
        return key == QChar(13);
    }

    QStringList functionMenuCaptions() const override { return functions; }

    QWidget* mainWindow() override { return &window; }
    QWidget* currentPage() override { return editor; }

    void setText(const QString& text, int caret)
    {
        editor->setPlainText(text);
        QTextCursor cursor = editor->textCursor();
        cursor.setPosition(caret);
        editor->setTextCursor(cursor);
    }

    void select(int anchor, int position)
    {
        QTextCursor cursor = editor->textCursor();
        cursor.setPosition(anchor);
        cursor.setPosition(position, QTextCursor::KeepAnchor);
        editor->setTextCursor(cursor);
    }

    QString text() const { return editor->toPlainText(); }
    int caret() const { return editor->textCursor().position(); }

    QWidget window;
    QTextEdit* editor = new QTextEdit(&window);
    quorvel::SheetEditor sheet{*editor};
    QList<QChar> keys;
    QString lastResult;
    QStringList functions{QStringLiteral("SIN()"), QStringLiteral("COS()"), QStringLiteral("TAN()"),
                          QStringLiteral("MAX(;)")};
};
