// SPDX-License-Identifier: GPL-3.0-or-later
// The "Datei" menu's "Text laden" and "Text speichern" of the main window, as RTF through
// the page files of the platform layer.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QTextEdit;

namespace quorvel {

class TForm1;

// "Text laden" and "Text speichern" of the main window. They always work on "Berechnung".
class DocumentCommands : public QObject
{
    Q_OBJECT

public:
    explicit DocumentCommands(TForm1& form);

    void Textladen1Click();
    void Dateispeichern1Click();

    // The file names the open and save dialogs hold; each presets the other.
    QString OpenDialogFileName;
    QString SaveDialogFileName;

    // The dialogs, replaceable in tests: given the preset name, the chosen file or nothing.
    std::function<QString(const QString&)> runOpenDialog;
    std::function<QString(const QString&)> runSaveDialog;

private:
    void setPageCaption(const QString& path);

    TForm1& m_form;
};

} // namespace quorvel
