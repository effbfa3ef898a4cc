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

} // namespace quorvel
