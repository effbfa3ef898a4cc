// The question and information boxes (`ConfirmYesNo`, `ShowInfo`) as plain Qt
// message boxes. The buttons read "Ja", "Nein" and "OK" once the German Qt translation
// (qtbase_de) is installed in the application, as the program entry does.
#pragma once

#include <QString>

class QWidget;

namespace quorvel {

// A question box with "Ja" (the default button) and "Nein"; true only for "Ja". Closing the box
// counts as "Nein". Without a parent the box is centred over the active window.
bool confirmYesNoBox(const QString& text, QWidget* parent = nullptr);

// An information box with "OK".
void showInfoBox(const QString& text, QWidget* parent = nullptr);

} // namespace quorvel
