// SPDX-License-Identifier: GPL-3.0-or-later
// UnitDefinitionsWindow, "Einheit eingeben": the user's unit definition lines in the memo
// `SiListBox`, compiled into the evaluator's unit table on every attempt to close the window
// and at the main window's first showing.
#pragma once

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace quorvel {

class TEFParser;

class UnitDefinitionsWindow : public QDialog
{
    Q_OBJECT

public:
    // Created hidden at program start; the parser is the main window's and outlives the window.
    explicit UnitDefinitionsWindow(TEFParser& parser, QWidget* parent = nullptr);

    // Rebuilds the unit table from the lines and writes the lines back as compiled (failing
    // lines with "; " and the error text). True when every line compiled. An exception out of
    // the evaluator passes through; the lines compiled before it are written back.
    bool CompileUnitDefinitions();

    // May the window close? Compiles; on failure shows "Fehler bei Einheitendefinition" (or the
    // message of an exception) and answers no.
    bool FormCloseQuery();

    // The definition lines, for the settings code and tests.
    QStringList lines() const;
    void setLines(const QStringList& lines);

    QPlainTextEdit* SiListBox = nullptr;

signals:
    // "Help": the help window should show this file of the program folder.
    void helpRequested(const QString& fileName);

public slots:
    // Every way of closing (OK, Esc, the window's close command) ends here.
    void done(int result) override;

private:
    void onHelp();
    void onOk();

    TEFParser& m_parser;
    QWidget* Panel1 = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
};

} // namespace quorvel
