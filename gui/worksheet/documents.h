// SPDX-License-Identifier: GPL-3.0-or-later
// The "Datei" menu's "Text laden" and "Text speichern" of the main window, as RTF through
// gui/files/page_files.h.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QTextEdit;

namespace quorvel {

class MainWindow;

// "Text laden" and "Text speichern" of the main window. They always work on "Berechnung".
class DocumentCommands : public QObject
{
    Q_OBJECT

public:
    explicit DocumentCommands(MainWindow& form);

    void onLoadText();
    void onSaveText();
    // Page `index` to a file the user chooses, as "Text speichern" does for "Berechnung"; for
    // an exit that could not write the page file. Whether it was written.
    bool savePageAs(int index);

    // The file names the open and save dialogs hold; each presets the other.
    QString OpenDialogFileName;
    QString SaveDialogFileName;

    // The dialogs, replaceable in tests: given the preset name, the chosen file or nothing.
    std::function<QString(const QString&)> runOpenDialog;
    std::function<QString(const QString&)> runSaveDialog;

private:
    void setPageCaption(const QString& path);

    MainWindow& m_form;
};

} // namespace quorvel
