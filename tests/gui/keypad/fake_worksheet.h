// A stand-in for the main window: one editor in a window of its own, insertion as the worksheet
// does it, and a record of the keys the keypad hands to the worksheet's key handling.
#pragma once

#include "keypad/worksheet_port.h"

#include <QTextEdit>
#include <QVBoxLayout>
#include <QWidget>

class FakeWorksheet : public quorvel::WorksheetPort
{
public:
    FakeWorksheet()
    {
        window.setObjectName(QStringLiteral("Form1"));
        editor = new QTextEdit(&window);
        editor->setObjectName(QStringLiteral("Memo1"));
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(editor);
        window.resize(300, 200);
    }

    QTextEdit* CurrentEditor() const override { return editor; }

    void InsertText(const QString& text, int back) override
    {
        QTextCursor cursor = editor->textCursor();
        cursor.insertText(text);
        const int p = cursor.position();
        editor->activateWindow();
        editor->setFocus();
        cursor.setPosition(std::max(0, p - back));
        editor->setTextCursor(cursor);
    }

    // Enter is only recorded (the line evaluation is not the keypad's business); Esc inserts the
    // last result as the worksheet does.
    bool MemoKeyPress(QChar key) override
    {
        keys.append(key);
        if (key == QChar(27))
            editor->insertPlainText(lastResult);
        return key == QChar(13);
    }

    QStringList functionMenuCaptions() const override { return functions; }

    QWidget* mainWindow() override { return &window; }

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
    QTextEdit* editor;
    QList<QChar> keys;
    QString lastResult;
    QStringList functions{QStringLiteral("SIN()"), QStringLiteral("COS()"), QStringLiteral("TAN()"),
                          QStringLiteral("MAX(;)")};
};
