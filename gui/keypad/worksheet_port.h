// SPDX-License-Identifier: GPL-3.0-or-later
// What the keypad needs of the worksheet (the main window), and nothing more. The main window
// implements it on its editor layer; the keypad's tests use a small fake.
#pragma once

#include <QChar>
#include <QString>
#include <QStringList>

class QWidget;

namespace quorvel {

class WorksheetPort
{
public:
    virtual ~WorksheetPort() = default;

    // Replaces the selection of the active page by `text`, gives the worksheet the focus
    // (focusWorksheet), then puts the caret `back` characters before the end of the inserted
    // text.
    virtual void InsertText(const QString& text, int back) = 0;

    // The worksheet's key-press handling, as if the key were typed: Enter (13) evaluates the line
    // at the caret, Esc (27) inserts the last result. The result (whether the handler consumed
    // the key) does not matter to the keypad.
    virtual bool MemoKeyPress(QChar key) = 0;

    // The main window becomes the active window and its active page takes the keyboard focus,
    // so that the next typed key lands in the page even after a click made the keypad active.
    virtual void focusWorksheet() = 0;

    // Editing the active page; none of these moves the focus.
    // Replaces the selection by `text` in the format of the selection's first character.
    virtual void replaceSelection(const QString& text) = 0;
    // Deletes the character before the selection's start (the first one at the very start).
    virtual void deleteCharacterBeforeSelection() = 0;
    // The caret's line becomes empty; the line itself stays.
    virtual void clearCaretLine() = 0;
    // The caret's line is written again with its own text; the caret ends behind it.
    virtual void rewriteCaretLine() = 0;

    // Captions of the "Funktionen" submenu of the popup menu, in order, first entry included.
    // Read once, when the keypad is created.
    virtual QStringList functionMenuCaptions() const = 0;

    // The main window, which the keypad's stay-on-top check box puts on top together with the
    // keypad.
    virtual QWidget* mainWindow() = 0;

    // The editor of the active page, to which the keypad passes on typed keys where the
    // platform leaves the keyboard with the keypad after a click on a key.
    virtual QWidget* currentPage() = 0;
};

} // namespace quorvel
