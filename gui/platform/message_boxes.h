// SPDX-License-Identifier: GPL-3.0-or-later
// The question and information boxes (`ConfirmYesNo`, `ShowInfo`), the box that
// stands in for the application's standard error box, and the German Qt translation that gives
// their buttons "Ja", "Nein" and "OK".
#pragma once

#include <QString>

class QCoreApplication;
class QMessageBox;
class QWidget;

namespace quorvel {

// A confirmation box with "Ja" and "Nein"; true only for "Ja" (closing the box is "Nein").
bool ConfirmYesNo(const QString& text, QWidget* parent = nullptr);

// An information box with a single "OK".
void ShowInfo(const QString& text, QWidget* parent = nullptr);

// An information box that does not wait for its answer: the windows behind it stay usable, and
// the one that has the keyboard keeps it, on every platform; F6 reaches the note. For notes that
// need no decision, such as what the start found. Returns the box, which deletes itself when it
// is closed.
QMessageBox* ShowNote(const QString& text, QWidget* parent = nullptr);

// The message of an exception that no handler expects, as the application's standard error
// box showed it: the text and an "OK".
void ShowErrorMessage(const QString& text, QWidget* parent = nullptr);

// Loads Qt's own German texts (qtbase_de) into the application. False when they are missing.
bool InstallGermanTranslations(QCoreApplication& app);

} // namespace quorvel
