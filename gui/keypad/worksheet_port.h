// What the keypad needs of the worksheet (the main window), and nothing more. The main window
// implements it; the keypad's tests use a small fake.
#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

class QTextEdit;
class QWidget;

namespace quorvel {

class WorksheetPort
{
public:
    virtual ~WorksheetPort() = default;

    // The editor of the active page. The keypad deletes, clears and rewrites text in it
    // directly and gives it the focus.
    virtual QTextEdit* CurrentEditor() const = 0;

    // Replaces the selection of the active page by `text`, gives the editor the focus, then puts
    // the caret `back` characters before the end of the inserted text.
    virtual void InsertText(const QString& text, int back) = 0;

    // The worksheet's key-press handling, as if the key were typed: Enter (13) evaluates the line
    // at the caret, Esc (27) inserts the last result. The result (whether the handler consumed
    // the key) does not matter to the keypad.
    virtual bool MemoKeyPress(QChar key) = 0;

    // Captions of the "Funktionen" submenu of the popup menu, in order, first entry included.
    // Read once, when the keypad is created.
    virtual QStringList functionMenuCaptions() const = 0;

    // The main window, which the keypad's stay-on-top check box puts on top together with the
    // keypad.
    virtual QWidget* mainWindow() = 0;
};

} // namespace quorvel
