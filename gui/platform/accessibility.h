// SPDX-License-Identifier: GPL-3.0-or-later
// What screen readers are told beyond Qt's own accessible interfaces: a window built on a plain
// QWidget (the keypad, the help) is a window, and a menu entry whose caption carries padding
// blanks and a key hint ("Kopieren                   ^C") is named without them, its key given
// as the entry's key binding.
#pragma once

#include <QAccessible>
#include <QKeySequence>
#include <QString>

class QAction;
class QWidget;

namespace quorvel {

// Puts a factory of accessible interfaces in place, once; later calls with the same factory do
// nothing, as Qt would otherwise ask it as often as it was installed.
void InstallAccessibleFactory(QAccessible::InterfaceFactory factory);

// Installs the program's accessible interfaces, once; later calls do nothing. Every class whose
// objects need them calls it when it is created, before a screen reader can ask.
void InstallAccessibleInterfaces();

// The name a screen reader speaks for the entry and the key that runs it; the visible caption
// stays as it is.
void SetAccessibleMenuEntry(QAction& action, const QString& name, const QKeySequence& key);

// The text of a caption as it reads: the "&" marking the Alt letter removed, "&&" as one "&".
QString WithoutMnemonic(const QString& caption);

// The Alt letter a caption marks, in lower case; none for a caption without one.
QChar MnemonicOf(const QString& caption);

// Gives every shown label, button and group box of the window an Alt letter of its own: where
// two mark the same letter (a dialog of Qt's combined with fields of ours, under a translation),
// the first keeps it and the later one takes the first letter of its caption that no other
// caption marks.
void MakeMnemonicsUnique(QWidget& window);

} // namespace quorvel
