// SPDX-License-Identifier: GPL-3.0-or-later
// The main menu and the popup menu and the commands behind them: exact
// captions, the run-time lists, the insertion click, and the commands with their questions.
#include "tests/gui/worksheet/gui_test_support.h"

#include "gui/platform/message_boxes.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Captions of a menu's entries, separators as "-".
QStringList captions(const QMenu& menu)
{
    QStringList result;
    for (const QAction* a : menu.actions())
        result << (a->isSeparator() ? QStringLiteral("-") : caption(*a));
    return result;
}

QMenu* topMenu(MainWindow& form, const QString& title)
{
    for (QAction* a : form.menuBar()->actions())
        if (caption(*a) == title)
            return a->menu();
    return nullptr;
}

void openPopup(MainWindow& form)
{
    form.popupMenu()->popup(form.mapToGlobal(QPoint(50, 80)));
    QVERIFY(form.popupMenu()->isVisible());
    form.popupMenu()->hide();
}

void trigger(QMenu& menu, const QString& caption)
{
    QAction* action = findAction(menu, caption);
    QVERIFY2(action, qPrintable(caption));
    action->trigger();
}

} // namespace

class MenusTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InstallGermanTranslations(*QCoreApplication::instance()); }

    void windowDesignValues();
    void theBerechnungPageHasTheFocusAtStart();
    void mainMenuCaptions();
    void everyEntryHasItsOwnAltLetter();
    void shortcutsReachTheirCommands();
    void popupMenuStructure();
    void functionListFromTheFunctionTable();
    void popupOpeningTwiceDoesNotDuplicate();
    void rightClickOpensThePopup();
    void insertingAFunctionPlacesTheCaretInsideTheBrackets_data();
    void insertingAFunctionPlacesTheCaretInsideTheBrackets();
    void insertingANameReplacesTheSelection();
    void insertingVarsThenEnterListsThem();
    void variablenLoeschenEntryRunsTheCommand();
    void alleVariablenLoeschenAnsweredNoStillRedefinesPi();
    void blattLoeschenAsksFirst();
    void blattNeuBerechnenRecalculates();
    void copyPasteAndUndoCommands();
    void formatCommandsOnlyAdd();
    void standardSchriftAndEinheitenEditieren();
    void commandsWithoutActionDoNothing();
    void endeClosesTheWindow();
};

void MenusTest::windowDesignValues()
{
    Windows w;
    QCOMPARE(w.mainWindow.objectName(), QStringLiteral("Form1"));
    QCOMPARE(w.mainWindow.windowTitle(), QStringLiteral("Quorvel V" QUORVEL_VERSION));
    QCOMPARE(w.mainWindow.size(), QSize(525, 437));
    QCOMPARE(w.mainWindow.minimumSize(), QSize(50, 120));
    QCOMPARE(w.mainWindow.font().family(), QStringLiteral("Arial"));
    QCOMPARE(w.mainWindow.font().pixelSize(), 15);
    QVERIFY(w.mainWindow.font().bold());

    auto* pages = w.mainWindow.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    QVERIFY(pages);
    QCOMPARE(pages->tabPosition(), QTabWidget::South);
    QCOMPARE(pages->count(), 2);
    QCOMPARE(pages->tabText(0), QStringLiteral("Berechnung"));
    QCOMPARE(pages->tabText(1), QStringLiteral("Notizen"));
    QCOMPARE(pages->currentIndex(), 0);
    QCOMPARE(w.mainWindow.CurrentEditor(), w.memo1());
    for (QTextEdit* memo : {w.memo1(), w.memo2()}) {
        QCOMPARE(memo->font().family(), QStringLiteral("Courier New"));
        QCOMPARE(memo->font().pointSize(), 11);
        QVERIFY(memo->font().bold());
        QCOMPARE(memo->palette().color(QPalette::Text), QColor(Qt::black));
        QCOMPARE(memo->lineWrapMode(), QTextEdit::NoWrap);
        QCOMPARE(memo->contextMenuPolicy(), Qt::CustomContextMenu);
    }
    QCOMPARE(w.mainWindow.menuBar()->objectName(), QStringLiteral("MainMenu1"));
    QCOMPARE(w.mainWindow.popupMenu()->objectName(), QStringLiteral("PM"));
}

void MenusTest::theBerechnungPageHasTheFocusAtStart()
{
    ProgramWindows windows;
    windows.mainWindow.show();
    QVERIFY(QTest::qWaitForWindowActive(&windows.mainWindow));
    QCOMPARE(QApplication::focusWidget(), windows.mainWindow.CurrentEditor());
    QCOMPARE(windows.mainWindow.CurrentEditor()->objectName(), QStringLiteral("Memo1"));
}

void MenusTest::mainMenuCaptions()
{
    Windows w;
    QStringList titles;
    for (const QAction* a : w.mainWindow.menuBar()->actions())
        titles << caption(*a);
    QCOMPARE(titles, (QStringList{"Datei", "Bearbeiten", "Optionen", "Ablage", "Hilfe"}));

    QCOMPARE(captions(*topMenu(w.mainWindow, "Datei")),
             (QStringList{"Text laden", "Text speichern", "Drucken...", "Druckvorschau...",
                          "Als PDF speichern...", "-", "Neue Seite", "-", "Ende"}));
    QCOMPARE(captions(*topMenu(w.mainWindow, "Bearbeiten")),
             (QStringList{"Undo                         ^Z", "Wiederholen             ^Y", "-",
                          "Alles kopieren", "Kopieren                   ^C",
                          "Einf\u00FCgen                   ^V", "-", "Blatt L\u00F6schen", "-",
                          "Blatt neu berechnen   F9", "Alle Variablen l\u00F6schen", "-", "holen",
                          "zur\u00FCck", "-", "Diagramm..."}));
    QCOMPARE(captions(*topMenu(w.mainWindow, "Optionen")),
             (QStringList{"Schrifart...                ^F", "StandardSchrift         ^N",
                          "Fett                           ^B", "Kursiv                        ^K",
                          "Unterstrichen            ^U", "-", "Tastatur anzeigen     ^T",
                          "Einheiten editieren    ^E"}));
    QMenu* ablage = topMenu(w.mainWindow, "Ablage");
    QCOMPARE(ablage, w.mainWindow.ablageMenu());
    QCOMPARE(ablage->objectName(), QStringLiteral("EigeneFormeln1"));
    QCOMPARE(captions(*ablage), (QStringList{"Bearbeiten...", "-"}));
    QCOMPARE(topMenu(w.mainWindow, "Hilfe"), nullptr); // a title that acts by itself
}

void MenusTest::everyEntryHasItsOwnAltLetter()
{
    Windows w;
    QList<const QWidget*> menus{w.mainWindow.menuBar(), w.mainWindow.popupMenu()};
    for (const QAction* a : w.mainWindow.menuBar()->actions())
        if (a->menu())
            menus << a->menu();
    for (const QWidget* menu : menus) {
        QString letters;
        for (const QAction* a : menu->actions()) {
            // Disabled and run-time entries (functions, variables, formula titles) have none.
            if (a->isSeparator() || !a->isEnabled() || !a->text().contains(QLatin1Char('&')))
                continue;
            const QString text = a->text();
            const QChar letter = text.at(text.indexOf(QLatin1Char('&')) + 1).toLower();
            QVERIFY2(!letters.contains(letter), qPrintable(menu->objectName() + ": " + text));
            letters += letter;
        }
        const qsizetype entries =
            std::count_if(menu->actions().cbegin(), menu->actions().cend(),
                          [](const QAction* a) { return !a->isSeparator() && a->isEnabled(); });
        QCOMPARE(letters.size(), menu == w.mainWindow.ablageMenu() ? 1 : entries);
    }
}

// The shortcuts beside the key table; the key table's own keys are the editing tests'.
void MenusTest::shortcutsReachTheirCommands()
{
    Windows w;
    w.mainWindow.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.mainWindow));
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"abc"});
    memo.setFocus();

    QTest::keyClick(&memo, Qt::Key_D, Qt::AltModifier);
    QMenu* datei = topMenu(w.mainWindow, "Datei");
    QTRY_VERIFY(datei->isVisible());
    datei->hide();
    QCOMPARE(pageLines(memo), QStringList{"abc"}); // no "d" typed

    QStringList dialogs;
    w.documents.runOpenDialog = [&](const QString&) { return dialogs << "laden", QString(); };
    w.documents.runSaveDialog = [&](const QString&) { return dialogs << "speichern", QString(); };
    QTest::keyClick(&memo, Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(&memo, Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(dialogs, (QStringList{"laden", "speichern"}));

    w.mainWindow.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.mainWindow));
    QTest::keyClick(&memo, Qt::Key_F10, Qt::ShiftModifier);
    QTRY_VERIFY(w.mainWindow.popupMenu()->isVisible());
    w.mainWindow.popupMenu()->hide();

    QTest::keyClick(&memo, Qt::Key_F1);
    QVERIFY(w.help.isVisible());
    w.help.hide();

    w.mainWindow.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.mainWindow));
    QTest::keyClick(&memo, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(!w.mainWindow.isVisible());
    QCOMPARE(pageLines(memo), QStringList{"abc"});
}

void MenusTest::popupMenuStructure()
{
    Windows w;
    QMenu& pm = *w.mainWindow.popupMenu();
    QCOMPARE(captions(pm), (QStringList{"Einf\u00FCgen", "-", "Funktionen", "Variablen",
                                        "Einheiten", "-", "Diagramm..."}));
    QVERIFY(!pm.actions()[0]->isEnabled());
    QVERIFY(pm.actions()[2]->menu());
    QVERIFY(pm.actions()[3]->menu());
    QVERIFY(pm.actions()[4]->menu());
}

void MenusTest::functionListFromTheFunctionTable()
{
    Windows w;
    const QStringList list = captions(*w.mainWindow.functionMenu());
    QCOMPARE(list.size(), int(w.mainWindow.parser().FuncCount));
    QCOMPARE(list.first(), QStringLiteral("SIN()"));
    QVERIFY(list.contains(QStringLiteral("SIGN()")));
    QCOMPARE(list.mid(list.size() - 4),
             (QStringList{"MAX(;)", "MIN(;)", "POWER(;)", "RhoLuft(;)"}));
}

void MenusTest::popupOpeningTwiceDoesNotDuplicate()
{
    Windows w;
    w.mainWindow.parser().SetVar(u"Masse", TSINumber{2.0, {0, 1, 0, 0, 0, 0, 0}});
    QMenu& vars = *findAction(*w.mainWindow.popupMenu(), "Variablen")->menu();
    QMenu& units = *findAction(*w.mainWindow.popupMenu(), "Einheiten")->menu();
    const QStringList expectedVars{"Variablen l\u00F6schen", "-", "Vars", "-", "Pi", "PU", "Masse"};

    openPopup(w.mainWindow);
    QCOMPARE(captions(vars), expectedVars);
    const QStringList firstUnits = captions(units);
    openPopup(w.mainWindow);
    QCOMPARE(captions(vars), expectedVars);
    QCOMPARE(captions(units), firstUnits);

    QCOMPARE(firstUnits.size(), 2 + 22);
    QCOMPARE(firstUnits.mid(0, 4), (QStringList{"Units", "-", "", "m"}));
    QCOMPARE(firstUnits.last(), QStringLiteral("St\u00FCck"));

    // A new variable appears at the next opening.
    w.mainWindow.parser().SetVar(u"v2", TSINumber{1.0, {}});
    openPopup(w.mainWindow);
    QCOMPARE(captions(vars).last(), QStringLiteral("v2"));
}

void MenusTest::rightClickOpensThePopup()
{
    Windows w;
    QWidget* viewport = w.memo2()->viewport();
    w.mainWindow.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 20),
                            viewport->mapToGlobal(QPoint(20, 20)));
    QApplication::sendEvent(viewport, &event);
    QVERIFY(w.mainWindow.popupMenu()->isVisible());
    QCOMPARE(captions(*findAction(*w.mainWindow.popupMenu(), "Variablen")->menu()).value(2),
             QStringLiteral("Vars"));
    w.mainWindow.popupMenu()->hide();
}

void MenusTest::insertingAFunctionPlacesTheCaretInsideTheBrackets_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("caret");
    QTest::newRow("one argument") << "SIN()"
                                  << "x = SIN() + 1" << 8;
    QTest::newRow("two arguments") << "MAX(;)"
                                   << "x = MAX(;) + 1" << 9;
}

void MenusTest::insertingAFunctionPlacesTheCaretInsideTheBrackets()
{
    QFETCH(QString, caption);
    QFETCH(QString, line);
    QFETCH(int, caret);
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"x = abc + 1"});
    QTextCursor c(memo.document());
    c.setPosition(4);
    c.setPosition(7, QTextCursor::KeepAnchor);
    memo.setTextCursor(c);

    trigger(*w.mainWindow.functionMenu(), caption);

    QCOMPARE(pageLines(memo), QStringList{line});
    QCOMPARE(caretColumn(memo), caret);
    QVERIFY(!memo.textCursor().hasSelection());
}

void MenusTest::insertingANameReplacesTheSelection()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"2*"});
    setCaret(memo, 0, 2);
    openPopup(w.mainWindow);
    trigger(*findAction(*w.mainWindow.popupMenu(), "Variablen")->menu(), "Pi");
    QCOMPARE(pageLines(memo), QStringList{"2*Pi"});
    QCOMPARE(caretColumn(memo), 4);
    trigger(*findAction(*w.mainWindow.popupMenu(), "Einheiten")->menu(), "km");
    QCOMPARE(pageLines(memo), QStringList{"2*Pikm"});
    QCOMPARE(caretColumn(memo), 6);
}

void MenusTest::insertingVarsThenEnterListsThem()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    openPopup(w.mainWindow);
    trigger(*findAction(*w.mainWindow.popupMenu(), "Variablen")->menu(), "Vars");
    QCOMPARE(pageLines(memo), QStringList{"Vars"});
    QTest::keyClick(&memo, Qt::Key_Return);
    QCOMPARE(pageLines(memo).value(1), QStringLiteral("Pi = 3.1415926536"));
}

void MenusTest::variablenLoeschenEntryRunsTheCommand()
{
    Windows w;
    w.mainWindow.parser().SetVar(u"Pi", TSINumber{5.0, {}});
    w.mainWindow.parser().SetVar(u"a", TSINumber{1.0, {}});
    openPopup(w.mainWindow);
    ModalDriver driver;
    driver.thenPressYes();
    trigger(*findAction(*w.mainWindow.popupMenu(), "Variablen")->menu(), "Variablen l\u00F6schen");
    QVERIFY(driver.waitDone());
    QCOMPARE(driver.seen, QStringList{"Wollen Sie alle Variablen l\u00F6schen?"});
    QCOMPARE(driver.seenButtons, QStringList{"Ja,Nein"});
    QCOMPARE(pageLines(*w.memo1()), QStringList{""}); // nothing inserted

    openPopup(w.mainWindow);
    QCOMPARE(captions(*findAction(*w.mainWindow.popupMenu(), "Variablen")->menu()),
             (QStringList{"Variablen l\u00F6schen", "-", "Vars", "-", "Pi"}));
    QCOMPARE(w.mainWindow.parser().Vars.at(0).Quantity.Value, 3.141592653589793);
}

void MenusTest::alleVariablenLoeschenAnsweredNoStillRedefinesPi()
{
    Windows w;
    w.mainWindow.parser().SetVar(u"Pi", TSINumber{5.0, {}});
    w.mainWindow.parser().SetVar(u"a", TSINumber{1.0, {}});
    ModalDriver driver;
    driver.thenPressNo();
    findAction(w.mainWindow, "AlleVariablenlschen1")->trigger();
    QVERIFY(driver.waitDone());
    const TSIVarList& vars = w.mainWindow.parser().Vars;
    QCOMPARE(vars.Count, 3); // Pi, PU, a
    QCOMPARE(vars.at(vars.IndexOf(u"Pi")).Quantity.Value, 3.141592653589793);
    QVERIFY(vars.IndexOf(u"a") >= 0);
}

void MenusTest::blattLoeschenAsksFirst()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"eins", "zwei"});
    ModalDriver driver;
    driver.thenPressNo();
    driver.thenPressYes();
    findAction(w.mainWindow, "BlattLschen1")->trigger();
    QCOMPARE(pageLines(memo), (QStringList{"eins", "zwei"}));
    findAction(w.mainWindow, "BlattLschen1")->trigger();
    QVERIFY(driver.waitDone());
    QCOMPARE(pageLines(memo), QStringList{""});
    QCOMPARE(driver.seen.value(0),
             QStringLiteral("Wollen Sie das aktuelle Arbeitsblatt l\u00F6schen?"));

    // Typed text after clearing is in the page's font and black.
    QTest::keyClicks(&memo, "1+1");
    QCOMPARE(markedLine(memo, 0), QStringLiteral("1+1"));
}

void MenusTest::blattNeuBerechnenRecalculates()
{
    Windows w;
    setPageLines(*w.memo1(), {"a = 4", "a/2"});
    findAction(w.mainWindow, "Blattneuberechnen1")->trigger();
    QCOMPARE(pageLines(*w.memo1()), (QStringList{"a = 4", "a/2 = 2", ""}));
}

void MenusTest::copyPasteAndUndoCommands()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"eins", "zwei"});
    memo.document()->clearUndoRedoStacks();
    findAction(w.mainWindow, "Alleskopieren1")->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("eins\nzwei"));

    QTextCursor c(memo.document());
    c.setPosition(0);
    c.setPosition(4, QTextCursor::KeepAnchor);
    memo.setTextCursor(c);
    findAction(w.mainWindow, "Kopieren1")->trigger();
    QCOMPARE(QApplication::clipboard()->text(), QStringLiteral("eins"));
    setCaret(memo, 1, 4);
    findAction(w.mainWindow, "Einfgen1")->trigger();
    QCOMPARE(pageLines(memo), (QStringList{"eins", "zweieins"}));
    findAction(w.mainWindow, "Undo1")->trigger();
    QCOMPARE(pageLines(memo), (QStringList{"eins", "zwei"}));
    findAction(w.mainWindow, "Wiederholen1")->trigger();
    QCOMPARE(pageLines(memo), (QStringList{"eins", "zweieins"}));

    // Undo takes back an evaluated line as a whole.
    setPageLines(memo, {"2+3"});
    memo.document()->clearUndoRedoStacks();
    QTest::keyClick(&memo, Qt::Key_Return);
    QCOMPARE(pageLines(memo), (QStringList{"2+3 = 5", ""}));
    findAction(w.mainWindow, "Undo1")->trigger();
    QCOMPARE(pageLines(memo), QStringList{"2+3"});
}

void MenusTest::formatCommandsOnlyAdd()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"abc"});
    w.mainWindow.currentSheet().selectAll();
    findAction(w.mainWindow, "Fett1")->trigger();
    QCOMPARE(w.mainWindow.currentSheet().selectionFormat().style, int(StyleBold));
    findAction(w.mainWindow, "Fett1")->trigger(); // "Fett" twice keeps bold
    QCOMPARE(w.mainWindow.currentSheet().selectionFormat().style, int(StyleBold));
    findAction(w.mainWindow, "Kursiv1")->trigger();
    findAction(w.mainWindow, "Unterstrichen1")->trigger();
    QCOMPARE(w.mainWindow.currentSheet().selectionFormat().style,
             int(StyleBold | StyleItalic | StyleUnderline));
    findAction(w.mainWindow, "Kursiv1")->trigger();
    QCOMPARE(w.mainWindow.currentSheet().selectionFormat().style,
             int(StyleBold | StyleItalic | StyleUnderline));
}

void MenusTest::standardSchriftAndEinheitenEditieren()
{
    Windows w;
    setPageLines(*w.memo1(), {"abc"});
    w.mainWindow.currentSheet().selectAll();
    w.mainWindow.currentSheet().setSelectionSize(30);
    w.mainWindow.currentSheet().setSelectionScript(ScriptPosition::Subscript);
    findAction(w.mainWindow, "StandardSchrift1")->trigger();
    const CharFormat f = w.mainWindow.currentSheet().selectionFormat();
    QCOMPARE(f.name, QStringLiteral("Arial"));
    QCOMPARE(f.size, 11);
    QCOMPARE(f.script, ScriptPosition::Normal);

    findAction(w.mainWindow, "Einheiteneditieren1")->trigger();
    QVERIFY(w.unitDefinitions.isVisible());
    QVERIFY(!w.unitDefinitions.isModal());
}

void MenusTest::commandsWithoutActionDoNothing()
{
    Windows w;
    setPageLines(*w.memo1(), {"abc"});
    for (const char* name : {"NeueSeite1", "holen1", "zurck1"}) {
        QAction* action = findAction(w.mainWindow, QString::fromLatin1(name));
        QVERIFY2(action, name);
        action->trigger();
    }
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    QCOMPARE(pageLines(*w.memo1()), QStringList{"abc"});
    QVERIFY(w.mainWindow.isVisible());
}

void MenusTest::endeClosesTheWindow()
{
    Windows w;
    QVERIFY(w.mainWindow.isVisible());
    findAction(w.mainWindow, "Ende1")->trigger();
    QVERIFY(!w.mainWindow.isVisible());
}

QTEST_MAIN(MenusTest)
#include "menus_test.moc"
