// SPDX-License-Identifier: GPL-3.0-or-later
// The main window ("Form1"): two worksheet pages, the main menu and the popup menu, and the one
// evaluator of the program. This class holds the window and wires things up; its work lives in
// files of its own:
//   sheet_keys.cpp        MemoKeyPress / MemoKeyDown: the keys, from the table of key_table.h
//   sheet_evaluation.cpp  evaluateLine, ShowLine, RecalcSheet, insertQuantityList on the editor
//   sheet_commands.cpp    InsertText, the formatting and "Bearbeiten" commands
//   main_menus.cpp        MainMenu1 and PM with their run-time entries
// docs/architecture.md follows one line from the key to the page.
#pragma once

#include "engine/formula/evaluator.h"
#include "engine/worksheet/line_evaluation.h"
#include "gui/formula_library/formula_library_host.h"
#include "gui/keypad/worksheet_port.h"
#include "gui/worksheet/sheet_editor.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QMenu;
class QTabWidget;
class QTextEdit;

#include <functional>

namespace quorvel {

class DocumentCommands;
class SheetPrinting;
class KeypadWindow;
class UnitDefinitionsWindow;
class FormulaLibraryWindow;
class HelpWindow;

// The keypad reaches the worksheet through WorksheetPort, the formula library through
// FormulaLibraryHost; both are implemented here.
class MainWindow : public QMainWindow, public WorksheetPort, public FormulaLibraryHost
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The window's caption, which is also what `quorvel --version` answers.
    static constexpr const char* kCaption = "Quorvel V" QUORVEL_VERSION;

    TEFParser& parser() { return m_parser; }
    LineEvaluator& lineEvaluator() { return m_lines; }
    const std::u16string& LastResult() const { return m_lines.LastResult; }

    // The windows created after the main window: the keypad (Ctrl+T, the first showing; it
    // reports the decimal places), the formula editor ("Bearbeiten..."), the help window
    // ("Hilfe" and "Help") and the unit definitions window (Ctrl+E, the first showing).
    // ProgramWindows hands them over.
    void setKeypad(KeypadWindow* keypad);
    void setFormulaEditor(FormulaLibraryWindow* editor) { m_formulaEditor = editor; }
    void setHelpWindow(HelpWindow* help) { m_help = help; }
    void setUnitDefinitionsWindow(UnitDefinitionsWindow* window);
    // "Text laden" and "Text speichern"; "Drucken...", "Druckvorschau..." and
    // "Als PDF speichern...".
    void setDocumentCommands(DocumentCommands* documents) { m_documents = documents; }
    void setSheetPrinting(SheetPrinting* printing) { m_printing = printing; }

    // The two pages: 0 "Berechnung" (Memo1), 1 "Notizen" (Memo2).
    QTextEdit* page(int index) const { return index == 1 ? m_notesPage : m_calculationPage; }
    QTabWidget* pageControl() const { return m_pageControl; }
    // A page's tab caption, which is also the name a screen reader gives the page.
    void setPageCaption(int index, const QString& caption);

    // `CurrentEditor`: the editor of the active page, and the editor layer over it.
    QTextEdit* CurrentEditor() const;
    SheetEditor& currentSheet() const;

    // Keys (sheet_keys.cpp). Both return true when they consumed the key. The keypad calls
    // MemoKeyPress with '\r' for "=" and with the Esc character for "erg".
    bool MemoKeyPress(QChar key) override;
    bool MemoKeyDown(int key, Qt::KeyboardModifiers modifiers);

    // Line evaluation on the active page (sheet_evaluation.cpp). t is line i's text as read
    // once by the caller; ShowLine writes the evaluated line over it; insertQuantityList writes
    // a table's lines below the caret's line.
    void evaluateLine(int i, const QString& t);
    void ShowLine(int i, const QString& t, const LineOutput& out);
    void RecalcSheet();
    void insertQuantityList(const std::vector<std::u16string>& texts);

    // Editing (sheet_commands.cpp).
    void InsertText(const QString& text, int back) override;
    void ToggleStyle(int style);
    void AddStyle(int style);
    void SetScript(ScriptPosition position);
    void StandardFont();
    void FontDialog();
    void ChangeFontSize(int delta);
    void InsertEmptyLine();
    void InsertLastResult();

    // Menus (main_menus.cpp).
    QAction* AddPopupItem(const QString& caption, int index);
    void PMPopup();
    void onPopupEntry(QAction* entry);
    QMenu* popupMenu() const { return m_popupMenu; }
    // Shift+F10: the popup menu at the caret of the active page.
    void showPopupAtCaret();
    QMenu* functionMenu() const { return m_functions; }
    QMenu* ablageMenu() const override { return m_ablageMenu; }

    // The rest of WorksheetPort and FormulaLibraryHost: the active page's editing operations
    // for the keypad and the formula library.
    void focusWorksheet() override;
    void replaceSelection(const QString& text) override;
    QString selectedText() const override;
    void deleteCharacterBeforeSelection() override;
    void clearCaretLine() override;
    void rewriteCaretLine() override;
    QStringList functionMenuCaptions() const override;
    QWidget* mainWindow() override { return this; }
    QWidget* currentPage() override;

    // "Bearbeiten" menu commands (sheet_commands.cpp).
    void onUndo();
    void onRedo();
    void onCopyAll();
    void onCopy();
    void onPaste();
    void onClearSheet();
    void onRecalculateSheet();
    void onClearAllVariables();

    // "Einheiten editieren": the unit definitions window, not modal.
    void ShowUnitDefinitions();

    // The other windows, each reached through one function.
    // The decimal-places value of the keypad's field `Komma` as the keypad last reported it
    // (0 without a keypad).
    double Decimals() const { return m_decimals; }
    // "Tastatur anzeigen" / Ctrl+T.
    void ShowKeypad();
    // "Hilfe" and the unit definitions window's "Help": the help window with that file.
    void ShowHelp(const QString& fileName);
    // "Ablage" -> "Bearbeiten...": the formula editor.
    void ShowFormulaEditor();

    // "Diagramm..." in "Bearbeiten" and in the popup menu.
    QAction* diagramAction() const { return m_diagram; }

    // Asked before the window closes; false keeps it open (an exit that could not write
    // everything, where the user chose to keep working).
    void setCloseGuard(std::function<bool()> guard) { m_closeGuard = std::move(guard); }

    // Whether the window has had its first showing (keypad state, unit definitions check).
    bool shownOnce() const { return !m_firstShow; }
    // Whether the keypad is shown: read from the settings for the first showing, and taken
    // again when the main window closes, since the application then closes the keypad too.
    bool keypadVisible() const { return m_keypadVisible; }
    void setKeypadVisible(bool visible) { m_keypadVisible = visible; }

signals:
    // "Diagramm...": a diagram of the active page's caret line or selected lines.
    void diagramRequested();
    // A double click on the diagram at that position of the active page: change its request.
    void diagramEditRequested(int position);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    // The first showing: keypad state and the unit definitions check.
    void FormShow();
    QTextEdit* createPage(const QString& objectName, const QString& caption);
    void onPageChanged(int index);

    void CreateMainMenu();
    void CreatePopupMenu();
    void BuildFunctionList();
    QMenu* popupSubmenu(int index) const;

    std::function<bool()> m_closeGuard;
    bool m_firstShow = true;
    bool m_keypadVisible = false;
    TEFParser m_parser;
    LineEvaluator m_lines{m_parser};
    KeypadWindow* m_keypad = nullptr;
    double m_decimals = 0.0;
    FormulaLibraryWindow* m_formulaEditor = nullptr;
    HelpWindow* m_help = nullptr;
    UnitDefinitionsWindow* m_unitWindow = nullptr;
    DocumentCommands* m_documents = nullptr;
    SheetPrinting* m_printing = nullptr;

    QTabWidget* m_pageControl = nullptr;
    QTextEdit* m_calculationPage = nullptr;
    QTextEdit* m_notesPage = nullptr;
    std::unique_ptr<SheetEditor> m_sheet1;
    std::unique_ptr<SheetEditor> m_sheet2;
    QTextEdit* m_current = nullptr;

    QMenu* m_popupMenu = nullptr;
    QMenu* m_functions = nullptr;
    QMenu* m_variables = nullptr;
    QMenu* m_units = nullptr;
    QMenu* m_ablageMenu = nullptr;
    QAction* m_diagram = nullptr;
};

} // namespace quorvel
