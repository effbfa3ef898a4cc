// SPDX-License-Identifier: GPL-3.0-or-later
// The main menu `MainMenu1` and the popup menu `PM`: captions exactly as users know them
// (the blanks inside them included), the function list built once, and the variable and unit
// lists rebuilt at every opening of the popup.
//
// The "&" in a caption only marks the letter that Alt (or, in an open menu, the letter alone)
// reaches; it is not part of what the entry reads. The key hints at the end of captions and the
// shortcuts come from the key table (key_table.h); no shortcut is a key of the pages. A screen
// reader hears an entry's caption without its padding and hint, and its key as the key binding.
#include "gui/worksheet/main_window.h"

#include "gui/platform/accessibility.h"
#include "gui/worksheet/documents.h"
#include "gui/worksheet/key_table.h"
#include "gui/worksheet/sheet_printing.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTextEdit>

namespace quorvel {
namespace {

constexpr int kFunctionsIndex = 2;
constexpr int kVariablesIndex = 3;
constexpr int kUnitsIndex = 4;

QString functionCaption(const TFuncEntry& f)
{
    const QString name = QString::fromStdU16String(f.Name);
    switch (f.ArgCount) {
    case 1:
        return name + QStringLiteral("()");
    case 2:
        return name + QStringLiteral("(;)");
    default:
        return name + QStringLiteral("(...)");
    }
}

} // namespace

void MainWindow::CreateMainMenu()
{
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    // Menus use the system font, not the window's bold Arial: every attribute is set
    // explicitly, since unset ones would be inherited from the window.
    QFont menuFont = QApplication::font();
    menuFont.setFamilies(menuFont.families().isEmpty() ? QStringList{menuFont.family()}
                                                       : menuFont.families());
    menuFont.setPointSizeF(menuFont.pointSizeF());
    menuFont.setWeight(QFont::Normal);
    menuFont.setItalic(false);
    bar->setFont(menuFont);

    // An entry and, where it has one, its handler; "Neue Seite", "&holen" and "&zurück" have none.
    auto entry = [this](QMenu* menu, const char* name, const QString& caption,
                        void (MainWindow::*handler)() = nullptr) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QString::fromLatin1(name));
        if (handler)
            connect(action, &QAction::triggered, this, handler);
        return action;
    };
    // An entry whose caption ends with the key of its command, as the key table has it; the
    // key is the pages' (or the editor's), not the entry's shortcut.
    auto keyEntry = [&entry](QMenu* menu, const char* name, const QString& caption,
                             SheetCommand command, void (MainWindow::*handler)() = nullptr) {
        QAction* action = entry(menu, name, caption + KeyHint(command), handler);
        SetAccessibleMenuEntry(*action, WithoutMnemonic(caption).trimmed(), KeyShortcut(command));
        return action;
    };
    // An entry with a shortcut of its own.
    auto shortcutEntry = [&entry](QMenu* menu, const char* name, const QString& caption,
                                  SheetCommand command) {
        QAction* action = entry(menu, name, caption);
        action->setShortcut(KeyShortcut(command));
        SetAccessibleMenuEntry(*action, WithoutMnemonic(caption), KeyShortcut(command));
        return action;
    };

    QMenu* datei = bar->addMenu(QStringLiteral("&Datei"));
    datei->setObjectName(QStringLiteral("Datei1"));
    QAction* laden =
        shortcutEntry(datei, "Textladen1", QStringLiteral("Text &laden"), SheetCommand::LoadText);
    connect(laden, &QAction::triggered, this, [this] {
        if (m_documents)
            m_documents->onLoadText();
    });
    QAction* speichern = shortcutEntry(datei, "Dateispeichern1", QStringLiteral("Text &speichern"),
                                       SheetCommand::SaveText);
    connect(speichern, &QAction::triggered, this, [this] {
        if (m_documents)
            m_documents->onSaveText();
    });
    QAction* drucken =
        shortcutEntry(datei, "Drucken1", QStringLiteral("&Drucken..."), SheetCommand::Print);
    connect(drucken, &QAction::triggered, this, [this] {
        if (m_printing)
            m_printing->onPrint();
    });
    QAction* vorschau = entry(datei, "Druckvorschau1", QStringLiteral("Druck&vorschau..."));
    connect(vorschau, &QAction::triggered, this, [this] {
        if (m_printing)
            m_printing->onPreview();
    });
    QAction* pdf = entry(datei, "AlsPDFspeichern1", QStringLiteral("Als &PDF speichern..."));
    connect(pdf, &QAction::triggered, this, [this] {
        if (m_printing)
            m_printing->onSavePdf();
    });
    datei->addSeparator();
    entry(datei, "NeueSeite1", QStringLiteral("&Neue Seite"));
    datei->addSeparator();
    QAction* ende = shortcutEntry(datei, "Ende1", QStringLiteral("&Ende"), SheetCommand::Quit);
    connect(ende, &QAction::triggered, this, &QWidget::close);

    QMenu* bearbeiten = bar->addMenu(QStringLiteral("&Bearbeiten"));
    bearbeiten->setObjectName(QStringLiteral("Bearbeiten1"));
    keyEntry(bearbeiten, "Undo1", QStringLiteral("&Undo                         "),
             SheetCommand::Undo, &MainWindow::onUndo);
    keyEntry(bearbeiten, "Wiederholen1", QStringLiteral("&Wiederholen             "),
             SheetCommand::Redo, &MainWindow::onRedo);
    bearbeiten->addSeparator();
    entry(bearbeiten, "Alleskopieren1", QStringLiteral("&Alles kopieren"), &MainWindow::onCopyAll);
    keyEntry(bearbeiten, "Kopieren1", QStringLiteral("&Kopieren                   "),
             SheetCommand::Copy, &MainWindow::onCopy);
    keyEntry(bearbeiten, "Einfgen1", QStringLiteral("&Einfügen                   "),
             SheetCommand::Paste, &MainWindow::onPaste);
    bearbeiten->addSeparator();
    entry(bearbeiten, "BlattLschen1", QStringLiteral("Blatt &Löschen"), &MainWindow::onClearSheet);
    bearbeiten->addSeparator();
    keyEntry(bearbeiten, "Blattneuberechnen1", QStringLiteral("Blatt neu &berechnen   "),
             SheetCommand::RecalculateSheet, &MainWindow::onRecalculateSheet);
    entry(bearbeiten, "AlleVariablenlschen1", QStringLiteral("Alle &Variablen löschen"),
          &MainWindow::onClearAllVariables);
    bearbeiten->addSeparator();
    entry(bearbeiten, "holen1", QStringLiteral("&holen"));
    entry(bearbeiten, "zurck1", QStringLiteral("&zurück"));
    // Also at the end of the popup menu: one entry, one shortcut.
    bearbeiten->addSeparator();
    m_diagram = entry(bearbeiten, "Diagramm1", QStringLiteral("&Diagramm..."));
    m_diagram->setShortcut(KeyShortcut(SheetCommand::Diagram));
    SetAccessibleMenuEntry(*m_diagram, QStringLiteral("Diagramm..."),
                           KeyShortcut(SheetCommand::Diagram));
    connect(m_diagram, &QAction::triggered, this, &MainWindow::diagramRequested);

    QMenu* optionen = bar->addMenu(QStringLiteral("&Optionen"));
    optionen->setObjectName(QStringLiteral("Optionen1"));
    keyEntry(optionen, "Schrifart1", QStringLiteral("&Schrifart...                "),
             SheetCommand::FontDialog, &MainWindow::FontDialog);
    keyEntry(optionen, "StandardSchrift1", QStringLiteral("Sta&ndardSchrift         "),
             SheetCommand::StandardFont, &MainWindow::StandardFont);
    // "Fett", "Kursiv" and "Unterstrichen" only add their style; the keys of the pages flip it.
    auto styleEntry = [&](const char* name, const QString& caption, SheetCommand key, int style) {
        connect(keyEntry(optionen, name, caption, key), &QAction::triggered, this,
                [this, style] { AddStyle(style); });
    };
    styleEntry("Fett1", QStringLiteral("&Fett                           "), SheetCommand::Bold,
               StyleBold);
    styleEntry("Kursiv1", QStringLiteral("&Kursiv                        "), SheetCommand::Italic,
               StyleItalic);
    styleEntry("Unterstrichen1", QStringLiteral("&Unterstrichen            "),
               SheetCommand::Underline, StyleUnderline);
    optionen->addSeparator();
    keyEntry(optionen, "Tastaturanzeigen1", QStringLiteral("&Tastatur anzeigen     "),
             SheetCommand::Keypad, &MainWindow::ShowKeypad);
    keyEntry(optionen, "Einheiteneditieren1", QStringLiteral("&Einheiten editieren    "),
             SheetCommand::UnitDefinitions, &MainWindow::ShowUnitDefinitions);

    m_ablageMenu = bar->addMenu(QStringLiteral("&Ablage"));
    m_ablageMenu->setObjectName(QStringLiteral("EigeneFormeln1"));
    entry(m_ablageMenu, "Bearbeiten2", QStringLiteral("&Bearbeiten..."),
          &MainWindow::ShowFormulaEditor);
    m_ablageMenu->addSeparator();

    // A title without entries: clicking it acts.
    QAction* hilfe = bar->addAction(QStringLiteral("&Hilfe"));
    hilfe->setObjectName(QStringLiteral("Hilfe1"));
    hilfe->setShortcut(KeyShortcut(SheetCommand::Help));
    SetAccessibleMenuEntry(*hilfe, QStringLiteral("Hilfe"), KeyShortcut(SheetCommand::Help));
    connect(hilfe, &QAction::triggered, this, [this] { ShowHelp(QStringLiteral("ZIV.hlp")); });
}

void MainWindow::CreatePopupMenu()
{
    m_popupMenu = new QMenu(this);
    m_popupMenu->setObjectName(QStringLiteral("PM"));
    QAction* einfuegen = m_popupMenu->addAction(QStringLiteral("Einfügen"));
    einfuegen->setObjectName(QStringLiteral("Einfgen2"));
    einfuegen->setEnabled(false);
    m_popupMenu->addSeparator();
    m_functions = m_popupMenu->addMenu(QStringLiteral("&Funktionen"));
    m_functions->setObjectName(QStringLiteral("Funktionen1"));
    m_variables = m_popupMenu->addMenu(QStringLiteral("&Variablen"));
    m_variables->setObjectName(QStringLiteral("Variablen1"));
    m_units = m_popupMenu->addMenu(QStringLiteral("&Einheiten"));
    m_units->setObjectName(QStringLiteral("Einheiten1"));
    m_popupMenu->addSeparator();
    m_popupMenu->addAction(m_diagram);
    connect(m_popupMenu, &QMenu::aboutToShow, this, &MainWindow::PMPopup);

    auto* popupKey = new QAction(this);
    popupKey->setObjectName(QStringLiteral("PopupKey"));
    popupKey->setShortcut(KeyShortcut(SheetCommand::PopupMenu));
    addAction(popupKey);
    connect(popupKey, &QAction::triggered, this, &MainWindow::showPopupAtCaret);
}

void MainWindow::showPopupAtCaret()
{
    QTextEdit* page = CurrentEditor();
    m_popupMenu->popup(page->viewport()->mapToGlobal(page->cursorRect().bottomLeft()));
}

QMenu* MainWindow::popupSubmenu(int index) const
{
    switch (index) {
    case kFunctionsIndex:
        return m_functions;
    case kVariablesIndex:
        return m_variables;
    case kUnitsIndex:
        return m_units;
    default:
        return nullptr;
    }
}

QAction* MainWindow::AddPopupItem(const QString& caption, int index)
{
    QMenu* menu = popupSubmenu(index);
    if (!menu)
        return nullptr;
    if (caption == QStringLiteral("-")) {
        QAction* separator = menu->addSeparator();
        separator->setEnabled(false);
        return separator;
    }
    QAction* action = menu->addAction(caption);
    connect(action, &QAction::triggered, this, [this, action] { onPopupEntry(action); });
    return action;
}

void MainWindow::BuildFunctionList()
{
    m_functions->clear();
    for (std::uint32_t i = 0; i < m_parser.FuncCount; ++i)
        AddPopupItem(functionCaption(m_parser.Funcs[i]), kFunctionsIndex);
}

void MainWindow::PMPopup()
{
    m_variables->clear();
    QAction* clearAll = AddPopupItem(QStringLiteral("Variablen löschen"), kVariablesIndex);
    disconnect(clearAll, nullptr, this, nullptr);
    connect(clearAll, &QAction::triggered, this, &MainWindow::onClearAllVariables);
    AddPopupItem(QStringLiteral("-"), kVariablesIndex);
    AddPopupItem(QStringLiteral("Vars"), kVariablesIndex);
    AddPopupItem(QStringLiteral("-"), kVariablesIndex);
    for (std::int32_t i = 0; i < m_parser.VarCount(); ++i)
        AddPopupItem(QString::fromStdU16String(m_parser.Vars.at(i).Name), kVariablesIndex);

    m_units->clear();
    AddPopupItem(QStringLiteral("Units"), kUnitsIndex);
    AddPopupItem(QStringLiteral("-"), kUnitsIndex);
    for (std::int32_t i = 0; i < m_parser.Units.Count; ++i)
        AddPopupItem(QString::fromStdU16String(m_parser.Units.at(i).Name), kUnitsIndex);
}

QStringList MainWindow::functionMenuCaptions() const
{
    QStringList result;
    for (const QAction* action : m_functions->actions())
        result << action->text();
    return result;
}

void MainWindow::onPopupEntry(QAction* entry)
{
    QString caption = entry->text();
    const qsizetype amp = caption.indexOf(QLatin1Char('&'));
    if (amp >= 0)
        caption.remove(amp, 1);
    InsertText(caption, caption.contains(QLatin1Char('(')) ? 1 : 0);
}

} // namespace quorvel
