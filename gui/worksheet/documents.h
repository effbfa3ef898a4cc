// Worksheet documents: the page files kept from run to run and the "Datei" menu's
// "Text laden" and "Text speichern", all as RTF through the platform reader and writer.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class QTextEdit;

namespace quorvel {

class TForm1;

// Replaces the page's text by the file: RTF with its formatting, any other file as plain text
// (UTF-8 when valid, else Windows-1252). On failure the page is unchanged and *error says why.
bool LoadDocument(QTextEdit& page, const QString& path, QString* error);

// Writes the page as RTF, atomically: the old file stays intact when writing fails. Returns an
// empty text on success, else the German reason naming the file.
QString SaveDocument(const QTextEdit& page, const QString& path);

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
