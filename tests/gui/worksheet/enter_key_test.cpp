// SPDX-License-Identifier: GPL-3.0-or-later
// Enter, F9, VARS/UNITS and Esc on the real pages, as a user types them: the line text, the colour
// of its runs (red spans shown as [..]) and where the caret lands.
#include "tests/gui/worksheet/gui_test_support.h"

#include "gui/platform/message_boxes.h"

#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

using namespace quorvel;
using namespace quorvel::test;

class EnterKeyTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InstallGermanTranslations(*QCoreApplication::instance()); }

    void enterRewritesTheLine_data();
    void enterRewritesTheLine();
    void enterInTheMiddleOfTheTextMovesToTheNextLine();
    void enterNeverSplitsTheLine_data();
    void enterNeverSplitsTheLine();
    void enterOnBlankLines();
    void aVariableDefinedAboveIsKnownBelow();
    void notizenPageSharesTheVariables();
    void escInsertsTheLastResultInBlack();
    void escReplacesTheSelection();
    void f9RecalculatesTheSheet();
    void f9OnTheNotizenPage();
    void f9IsOneUndoStep();
    void f9LeavesUpToDateLinesAlone();
    void varsListing_data();
    void varsListing();
    void unitsOnShortAndLongPages();
    void varsLineWithAssignmentIsEvaluated();
};

void EnterKeyTest::enterRewritesTheLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("marked");

    QTest::newRow("expression") << "3*4"
                                << "3*4 = 12";
    QTest::newRow("expression with units") << "2kg*9.81m/s\u00B2"
                                           << "2kg*9.81m/s\u00B2 = 19.62N";
    QTest::newRow("expression, old result") << "3km+500m = 0mm"
                                            << "3km+500m = 3500000mm";
    QTest::newRow("assignment") << "a = 3*4"
                                << "a = 3*4 = 12";
    QTest::newRow("assignment of a value") << "x = 5"
                                           << "x = 5";
    QTest::newRow("prose") << "Masse des K\u00F6rpers"
                           << "Masse des K\u00F6rpers";
    QTest::newRow("prose with blanks") << "3 * 4 ="
                                       << "3 * 4 =";
    QTest::newRow("equals alone") << "=="
                                  << "==";
    QTest::newRow("label") << "Fl\u00E4che: F = 3*4"
                           << "Fl\u00E4che: F = 3*4 = 12";
    QTest::newRow("indented") << "\t  2*3"
                              << "\t  2*3 = 6";
    QTest::newRow("unit conflict") << "3m+2s"
                                   << "3m[+]2s = unit confilct";
    QTest::newRow("unknown name") << "y"
                                  << "[y] = Variable not found";
    QTest::newRow("unknown name again") << "y = Variable not found"
                                        << "[y] = Variable not found";
    QTest::newRow("unknown in assignment") << "z = 3+q"
                                           << "z = 3+[q] = Variable not found";
    QTest::newRow("illegal name") << "sin = 3"
                                  << "[sin] = 3 = illegal variable name";
    QTest::newRow("unit as name") << "km = 3"
                                  << "[km] = 3 = illegal variable name";
    QTest::newRow("error behind a label") << "Fehler:\t3m+2s"
                                          << "Fehler:\t3m[+]2s = unit confilct";
    QTest::newRow("label, illegal name") << "Strom: A = 3"
                                         << "Strom: [A] = 3 = illegal variable name";
    QTest::newRow("raised fault stays") << "1/0"
                                        << "1/0";
}

void EnterKeyTest::enterRewritesTheLine()
{
    QFETCH(QString, line);
    QFETCH(QString, marked);
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {line});
    setCaret(memo, 0, 0);

    QTest::keyClick(&memo, Qt::Key_Return);

    QCOMPARE(markedPage(memo), (QStringList{marked, QString()}));
    QCOMPARE(caretRow(memo), 1);
    QCOMPARE(caretColumn(memo), 0);
}

void EnterKeyTest::enterInTheMiddleOfTheTextMovesToTheNextLine()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"Kraft: 3*4", "2*3", "ende"});
    setCaret(memo, 0, 8);

    QTest::keyClick(&memo, Qt::Key_Return);

    QCOMPARE(markedPage(memo), (QStringList{"Kraft: 3*4 = 12", "2*3", "ende"}));
    QCOMPARE(caretRow(memo), 1);
    QCOMPARE(caretColumn(memo), 0);

    QTest::keyClick(&memo, Qt::Key_Enter); // the keypad's Enter does the same
    QCOMPARE(markedPage(memo), (QStringList{"Kraft: 3*4 = 12", "2*3 = 6", "ende"}));
    QCOMPARE(caretRow(memo), 2);
}

void EnterKeyTest::enterNeverSplitsTheLine_data()
{
    QTest::addColumn<int>("modifiers");
    QTest::newRow("Enter") << int(Qt::NoModifier);
    QTest::newRow("Shift+Enter") << int(Qt::ShiftModifier);
}

void EnterKeyTest::enterNeverSplitsTheLine()
{
    QFETCH(int, modifiers);
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"Wort Wort", "x"});
    setCaret(memo, 0, 4);

    QTest::keyClick(&memo, Qt::Key_Return, Qt::KeyboardModifiers(modifiers));

    QCOMPARE(pageLines(memo), (QStringList{"Wort Wort", "x"}));
    QCOMPARE(caretRow(memo), 1);
}

void EnterKeyTest::enterOnBlankLines()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"", "   ", "3*4"});
    setCaret(memo, 0, 0);
    QTest::keyClick(&memo, Qt::Key_Return);
    QCOMPARE(caretRow(memo), 1);
    QTest::keyClick(&memo, Qt::Key_Return);
    QCOMPARE(caretRow(memo), 2);
    QCOMPARE(caretColumn(memo), 0);
    QCOMPARE(pageLines(memo), (QStringList{"", "   ", "3*4"}));

    // An empty last line gets a line behind it; a last line of blanks does not.
    setPageLines(memo, {"3*4", ""});
    setCaret(memo, 1, 0);
    QTest::keyClick(&memo, Qt::Key_Return);
    QCOMPARE(pageLines(memo), (QStringList{"3*4", "", ""}));
    QCOMPARE(caretRow(memo), 2);

    setPageLines(memo, {"3*4", "  "});
    setCaret(memo, 1, 0);
    QTest::keyClick(&memo, Qt::Key_Return);
    QCOMPARE(pageLines(memo), (QStringList{"3*4", "  "}));
    QCOMPARE(caretRow(memo), 1);
}

void EnterKeyTest::aVariableDefinedAboveIsKnownBelow()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"y", "y = 2m", "y*3"});
    setCaret(memo, 0, 0);
    QTest::keyClick(&memo, Qt::Key_Return);
    QTest::keyClick(&memo, Qt::Key_Return);
    QTest::keyClick(&memo, Qt::Key_Return);
    QCOMPARE(markedPage(memo), (QStringList{"[y] = Variable not found", "y = 2m", "y*3 = 6m", ""}));
    QCOMPARE(QString::fromStdU16String(w.mainWindow.LastResult()), QStringLiteral("6m"));

    // Enter again on the failed line now finds y.
    setCaret(memo, 0, 3);
    QTest::keyClick(&memo, Qt::Key_Return);
    QCOMPARE(markedLine(memo, 0), QStringLiteral("y = 2m"));
}

void EnterKeyTest::notizenPageSharesTheVariables()
{
    Windows w;
    setPageLines(*w.memo1(), {"a = 2"});
    setCaret(*w.memo1(), 0, 0);
    QTest::keyClick(w.memo1(), Qt::Key_Return);

    auto* pages = w.mainWindow.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    pages->setCurrentIndex(1);
    QCOMPARE(w.mainWindow.CurrentEditor(), w.memo2());
    QTextEdit& notes = *w.memo2();
    setPageLines(notes, {"a*3"});
    setCaret(notes, 0, 0);
    QTest::keyClick(&notes, Qt::Key_Return);
    QCOMPARE(markedPage(notes), (QStringList{"a*3 = 6", ""}));
    QCOMPARE(pageLines(*w.memo1()), (QStringList{"a = 2", ""}));

    pages->setCurrentIndex(0);
    QCOMPARE(w.mainWindow.CurrentEditor(), w.memo1());
}

void EnterKeyTest::escInsertsTheLastResultInBlack()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"3m+2s", "2*3.5"});
    setCaret(memo, 1, 0);
    QTest::keyClick(&memo, Qt::Key_Return); // LastResult 7
    setCaret(memo, 0, 0);
    QTest::keyClick(&memo, Qt::Key_Return); // fails: LastResult stays
    QCOMPARE(markedLine(memo, 0), QStringLiteral("3m[+]2s = unit confilct"));

    // Behind the red mark the insertion point is red; Esc writes black all the same.
    setCaret(memo, 0, 3);
    QTest::keyClick(&memo, Qt::Key_Escape);
    QCOMPARE(markedLine(memo, 0), QStringLiteral("3m[+]72s = unit confilct"));
    QCOMPARE(caretColumn(memo), 4);
    QTest::keyClicks(&memo, "x");
    QCOMPARE(markedLine(memo, 0), QStringLiteral("3m[+]7x2s = unit confilct"));
}

void EnterKeyTest::escReplacesTheSelection()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"1+1", "Ergebnis: alt"});
    setCaret(memo, 0, 0);
    QTest::keyClick(&memo, Qt::Key_Return);
    QTextCursor c(memo.document()->findBlockByNumber(1));
    c.setPosition(c.position() + 10);
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor); // "alt"
    memo.setTextCursor(c);

    QTest::keyClick(&memo, Qt::Key_Escape);
    QCOMPARE(markedLine(memo, 1), QStringLiteral("Ergebnis: 2"));
}

void EnterKeyTest::f9RecalculatesTheSheet()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    w.mainWindow.parser().SetVar(u"alt", TSINumber{1.0, {}});
    setPageLines(memo, {"b+1 = 99", "a = 2", "b = a * 3", "b+1 = 99", "", "Notiz: c = b*2", "   ",
                        "Pi", "Ende der Rechnung"});
    setCaret(memo, 5, 2);

    QTest::keyClick(&memo, Qt::Key_F9);

    QCOMPARE(markedPage(memo), (QStringList{"[b]+1 = Variable not found", "a = 2", "b = a*3 = 6",
                                            "b+1 = 7", "", "Notiz: c = b*2 = 12", "   ",
                                            "[Pi] = Variable not found", "Ende der Rechnung", ""}));
    // The table was cleared first: Pi, PU and the old variable are gone.
    const TSIVarList& vars = w.mainWindow.parser().Vars;
    QCOMPARE(vars.Count, 3);
    QCOMPARE(vars.at(0).Name, std::u16string(u"a"));
    QCOMPARE(vars.at(2).Name, std::u16string(u"c"));
    QCOMPARE(caretRow(memo), 9);
    QCOMPARE(caretColumn(memo), 0);
}

void EnterKeyTest::f9OnTheNotizenPage()
{
    Windows w;
    setPageLines(*w.memo1(), {"1+1"});
    w.mainWindow.findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(1);
    QTextEdit& notes = *w.memo2();
    setPageLines(notes, {"r = 2m", "r*r"});
    QTest::keyClick(&notes, Qt::Key_F9);
    QCOMPARE(pageLines(notes), (QStringList{"r = 2m", "r*r = 4m\u00B2", ""}));
    QCOMPARE(pageLines(*w.memo1()), QStringList{"1+1"});
}

void EnterKeyTest::f9IsOneUndoStep()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"1+1", "2+2"});
    memo.document()->clearUndoRedoStacks();
    QTest::keyClick(&memo, Qt::Key_F9);
    QCOMPARE(pageLines(memo), (QStringList{"1+1 = 2", "2+2 = 4", ""}));
    QTest::keyClick(&memo, Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(pageLines(memo), (QStringList{"1+1", "2+2"}));
}

void EnterKeyTest::f9LeavesUpToDateLinesAlone()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"a = 2", "a*3", "Ein Text"});
    QTest::keyClick(&memo, Qt::Key_F9);
    memo.document()->clearUndoRedoStacks();
    QTest::keyClick(&memo, Qt::Key_F9);
    QCOMPARE(pageLines(memo), (QStringList{"a = 2", "a*3 = 6", "Ein Text", ""}));
    QCOMPARE(memo.document()->availableUndoSteps(), 0); // nothing was rewritten

    // A line of the same text but in other formats is written again in the line's first format.
    QTextCursor c(memo.document()->findBlockByNumber(1));
    c.setPosition(c.position() + 4);
    c.setPosition(c.position() + 3, QTextCursor::KeepAnchor);
    QTextCharFormat italic;
    italic.setFontItalic(true);
    italic.setForeground(kRed);
    c.mergeCharFormat(italic);
    QTest::keyClick(&memo, Qt::Key_F9);
    QCOMPARE(markedLine(memo, 1), QStringLiteral("a*3 = 6"));
    QTextCursor last(memo.document()->findBlockByNumber(1));
    last.setPosition(last.position() + 6);
    QVERIFY(!last.charFormat().fontItalic());
    QCOMPARE(caretRow(memo), 3);
}

void EnterKeyTest::varsListing_data()
{
    QTest::addColumn<QStringList>("page");
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("caret");

    const QString pi = QStringLiteral("Pi = 3.1415926536");
    const QString pu = QStringLiteral("PU = 101300kg/(ms\u00B2)");
    QTest::newRow("short page") << QStringList{"VARS"} << 0 << QStringList{"VARS", pi, pu, ""} << 3;
    QTest::newRow("exactly filled")
        << QStringList{"  vars  ", "x", "y"} << 0 << QStringList{"  vars  ", pi, pu, ""} << 3;
    QTest::newRow("long page") << QStringList{"a", "Vars", "b", "c", "d", "e"} << 1
                               << QStringList{"a", "Vars", pi, pu, "d", "e"} << 4;
}

void EnterKeyTest::varsListing()
{
    QFETCH(QStringList, page);
    QFETCH(int, row);
    QFETCH(QStringList, expected);
    QFETCH(int, caret);
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, page);
    setCaret(memo, row, 2);

    QTest::keyClick(&memo, Qt::Key_Return);

    QCOMPARE(markedPage(memo), expected);
    QCOMPARE(caretRow(memo), caret);
    QCOMPARE(caretColumn(memo), 0);
}

void EnterKeyTest::unitsOnShortAndLongPages()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"Units"});
    setCaret(memo, 0, 5);
    QTest::keyClick(&memo, Qt::Key_Return);
    QStringList lines = pageLines(memo);
    QCOMPARE(lines.size(), 1 + 22 + 1);
    QCOMPARE(lines[1], QStringLiteral(" = 1"));
    QCOMPARE(lines[2], QStringLiteral("m = 1m"));
    QCOMPARE(lines[9], QStringLiteral("N = 1kgm/s\u00B2"));
    QCOMPARE(lines[22], QStringLiteral("St\u00FCck = 1"));
    QCOMPARE(lines[23], QString());
    QCOMPARE(caretRow(memo), 23);

    // A long page: the 22 lines below are overwritten, the rest stays, nothing is appended.
    QStringList page{"Kopf", "UNITS"};
    for (int i = 0; i < 30; ++i)
        page << QStringLiteral("Zeile %1").arg(i);
    setPageLines(memo, page);
    setCaret(memo, 1, 0);
    QTest::keyClick(&memo, Qt::Key_Return);
    lines = pageLines(memo);
    QCOMPARE(lines.size(), page.size());
    QCOMPARE(lines[2], QStringLiteral(" = 1"));
    QCOMPARE(lines[23], QStringLiteral("St\u00FCck = 1"));
    QCOMPARE(lines[24], QStringLiteral("Zeile 22"));
    QCOMPARE(caretRow(memo), 24);
}

void EnterKeyTest::varsLineWithAssignmentIsEvaluated()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"Vars = 3"});
    QTest::keyClick(&memo, Qt::Key_Return);
    QCOMPARE(pageLines(memo), (QStringList{"Vars = 3", ""}));
    QVERIFY(w.mainWindow.parser().Vars.IndexOf(u"Vars") >= 0);
}

QTEST_MAIN(EnterKeyTest)
#include "enter_key_test.moc"
