// SPDX-License-Identifier: GPL-3.0-or-later
// FormulaLibraryWindow, the "Formeleditor" window, and the "Ablage" menu's formula entries with
// their click (`onFormulaEntry`) and "Bearbeiten..." (`showWithSelection`).
//
// The library is three sequences kept in step, index k being formula k in all three: the titles
// (the items of `ftitel`), `FormulaTexts` (the texts with their line breaks encoded) and the
// "Ablage" menu entries from index 2 on. Only this class changes them.
#pragma once

#include <QDialog>
#include <QStringList>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTextEdit;

namespace quorvel {

class FormulaLibraryHost;

class FormulaLibraryWindow : public QDialog
{
    Q_OBJECT

public:
    // Created hidden at program start, after the main window (whose "Ablage" menu must then
    // hold "Bearbeiten..." and a separator) and before the unit definitions window. Without a
    // parent the window is an independent top-level dialog; it centres itself on the screen.
    explicit FormulaLibraryWindow(FormulaLibraryHost& host, QWidget* parent = nullptr);
    ~FormulaLibraryWindow() override;

    // For the settings code. setFormulas replaces the whole library: the titles, the
    // texts (as stored, still encoded; a missing text is empty, surplus texts are ignored) and
    // the "Ablage" entries from index 2, one per title.
    void setFormulas(const QStringList& titles, const QStringList& encodedTexts);
    QStringList titles() const;
    QStringList encodedTexts() const;

    // "Ablage" → "Bearbeiten..."; the main window connects its entry here. A
    // non-empty selection of the active page goes into `RichEdit1` and "Neue Formel" into
    // `Edit1`; then the window is shown, not modal.
    void showWithSelection();

    // The click of a formula entry of the "Ablage" menu: k := the entry's index in
    // the menu - 2; for a valid k the decoded text of formula k replaces the selection of the
    // active page. The entries this class creates are connected here already.
    void onFormulaEntry(QAction* entry);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();
    void FormShow();
    void onTitleChosen();
    void onSave();
    void onDelete();
    void onTakeSelection();
    void onInsertIntoPage();
    void onClose();

    int selectedIndex() const;
    int indexOfTitle(const QString& title) const;
    QString worksheetSelection() const;
    void appendMenuEntry(const QString& title);
    void removeMenuEntry(int index);
    void assignAltLetters();
    void focusTitle();

    FormulaLibraryHost& m_host;
    bool m_changingList = false; // programmatic changes of ftitel are no clicks

    QListWidget* ftitel = nullptr;
    QLabel* Label1 = nullptr;
    QTextEdit* RichEdit1 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QPushButton* BTSpeichern = nullptr;
    QPushButton* BTDelete = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QPushButton* BtGetText = nullptr;
    QPushButton* BtToText = nullptr;
    QPushButton* BtEnde = nullptr;

    QStringList FormulaTexts;
};

} // namespace quorvel
