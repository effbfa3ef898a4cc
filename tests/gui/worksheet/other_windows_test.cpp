// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's connections to the keypad and the formula library: Ctrl+T and "Tastatur
// anzeigen", the decimal places read from the keypad at every evaluation, the keypad's state at
// the first showing, "Bearbeiten..." and the formula entries of "Ablage"; F6 among the page, the
// keypad's fields and the notes.
#include "tests/gui/worksheet/gui_test_support.h"

#include "gui/files/program_dir.h"
#include "gui/keypad/hemisphere_button.h"
#include "gui/keypad/real_edit.h"
#include "gui/platform/message_boxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Keys as the window system delivers them: to the window that has the keyboard, whichever it is.
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QGuiApplication::focusWindow(), key, modifiers);
}
void type(const char* keys)
{
    for (const char* k = keys; *k != 0; ++k)
        QTest::keyClick(QGuiApplication::focusWindow(), *k);
}

} // namespace

class OtherWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InstallGermanTranslations(*QCoreApplication::instance()); }

    void ctrlTAndMenuShowTheKeypad();
    void decimalPlacesComeFromTheKeypad();
    void keypadTypesIntoTheWorksheet();
    void keypadKeysGiveTheKeyboardBackToThePage_data();
    void keypadKeysGiveTheKeyboardBackToThePage();
    void keypadListsThePopupFunctions();
    void firstShowingAppliesTheKeypadState();
    void bearbeitenOpensTheFormulaEditorWithTheSelection();
    void formulaEntryInsertsItsText();
    void hilfeAndHelpShowTheHelpWindow();
    void closingTheMainWindowEndsTheProgram();
    void theKeypadLeavesTheKeyboardWithThePageAndF6ReachesIt();
    void f6ReachesTheOpenWindowsAndANote();
};

void OtherWindowsTest::ctrlTAndMenuShowTheKeypad()
{
    Windows w;
    QVERIFY(!w.keypad.isVisible());
    QTest::keyClick(w.memo1(), Qt::Key_T, Qt::ControlModifier);
    QVERIFY(w.keypad.isVisible());
    QCOMPARE(pageLines(*w.memo1()), QStringList{""});
    w.keypad.hide();
    findAction(w.mainWindow, "Tastaturanzeigen1")->trigger();
    QVERIFY(w.keypad.isVisible());
}

void OtherWindowsTest::decimalPlacesComeFromTheKeypad()
{
    Windows w;
    auto* komma = w.keypad.findChild<TRealSpinEdit*>(QStringLiteral("Komma"));
    QVERIFY(komma);
    QCOMPARE(w.mainWindow.Decimals(), 0.0);
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"1/3", "1/3", "5/2"});
    QTest::keyClick(&memo, Qt::Key_Return);
    komma->setWert(2);
    QCOMPARE(w.mainWindow.Decimals(), 2.0);
    QTest::keyClick(&memo, Qt::Key_Return);
    komma->setWert(-2);
    QTest::keyClick(&memo, Qt::Key_Return);
    QCOMPARE(pageLines(memo), (QStringList{"1/3 = 0.3333333333", "1/3 = 0.33", "5/2 = 2.50", ""}));
}

void OtherWindowsTest::keypadTypesIntoTheWorksheet()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"6*7"});
    setCaret(memo, 0, 3);
    // The keypad's "=" key and "erg" key go through MemoKeyPress.
    QVERIFY(w.mainWindow.MemoKeyPress(QChar(13)));
    QVERIFY(!w.mainWindow.MemoKeyPress(QChar(27)));
    QCOMPARE(pageLines(memo), (QStringList{"6*7 = 42", "42"}));
    w.mainWindow.InsertText(QStringLiteral("SQRT()"), 1);
    QCOMPARE(pageLines(memo).value(1), QStringLiteral("42SQRT()"));
    QCOMPARE(caretColumn(memo), 7);
    QCOMPARE(QApplication::focusWidget(), &memo);
}

// A click into the keypad makes it the active window, as on any desktop; the key's text lands in
// the page, and so must the next typed key.
void OtherWindowsTest::keypadKeysGiveTheKeyboardBackToThePage_data()
{
    QTest::addColumn<QString>("key");  // empty: a double click into the function box
    QTest::addColumn<QString>("page"); // lines joined by "|"
    QTest::newRow("digit") << "hemi"
                           << "1x";
    QTest::newRow("operator") << "HemisphereButton14"
                              << "+x";
    QTest::newRow("sqrt") << "HemisphereButton18"
                          << "sqrt(x)";
    QTest::newRow("function key") << "HemisphereButton25"
                                  << "sin(x)";
    QTest::newRow("double click in the function box") << ""
                                                      << "sin(x)";
    QTest::newRow("equals") << "HemisphereButton20"
                            << "|x"; // Enter moved on to a new line
    QTest::newRow("clear line") << "HemisphereButton22"
                                << "x";
}

void OtherWindowsTest::keypadKeysGiveTheKeyboardBackToThePage()
{
    QFETCH(QString, key);
    QFETCH(QString, page);
    Windows w;
    w.mainWindow.ShowKeypad();
    QTRY_COMPARE(QApplication::activeWindow(), &w.keypad);
    auto* combo = w.keypad.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    QVERIFY(combo);
    if (key.isEmpty()) {
        QTest::mouseDClick(combo->lineEdit(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
    } else {
        auto* button = w.keypad.findChild<THemisphereButton*>(key);
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(15, 15));
    }
    QTRY_COMPARE(QApplication::activeWindow(), &w.mainWindow);
    QCOMPARE(QApplication::focusWidget(), w.memo1());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_X);
    QCOMPARE(pageLines(*w.memo1()).join(QLatin1Char('|')), page);
    QCOMPARE(combo->currentText(), QStringLiteral("sin()"));
}

void OtherWindowsTest::keypadListsThePopupFunctions()
{
    Windows w;
    const QStringList captions = w.mainWindow.functionMenuCaptions();
    QCOMPARE(captions.first(), QStringLiteral("SIN()"));
    auto* combo = w.keypad.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    QVERIFY(combo);
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    QCOMPARE(items, captions.mid(1));
}

void OtherWindowsTest::firstShowingAppliesTheKeypadState()
{
    ProgramWindows windows;
    auto* onTop = windows.keypad.findChild<QCheckBox*>(QStringLiteral("CBOnTop"));
    QVERIFY(onTop);
    onTop->setChecked(true); // as the settings would restore it
    windows.mainWindow.setKeypadVisible(true);
    windows.mainWindow.show();
    QVERIFY(QTest::qWaitFor([&] { return windows.keypad.isVisible(); }));
    QVERIFY(windows.mainWindow.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(windows.keypad.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    windows.keypad.hide();

    ProgramWindows plain;
    plain.mainWindow.show();
    QTest::qWait(20);
    QVERIFY(!plain.keypad.isVisible());
    QVERIFY(!plain.mainWindow.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

void OtherWindowsTest::bearbeitenOpensTheFormulaEditorWithTheSelection()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"A = Pi*r\u00B2"});
    w.mainWindow.currentSheet().selectAll();
    findAction(w.mainWindow, "Bearbeiten2")->trigger();
    QVERIFY(w.formulaLibrary.isVisible());
    QVERIFY(!w.formulaLibrary.isModal());
    auto* text = w.formulaLibrary.findChild<QTextEdit*>(QStringLiteral("RichEdit1"));
    auto* title = w.formulaLibrary.findChild<QLineEdit*>(QStringLiteral("Edit1"));
    QVERIFY(text && title);
    QCOMPARE(text->toPlainText(), QStringLiteral("A = Pi*r\u00B2"));
    QCOMPARE(title->text(), QStringLiteral("Neue Formel"));
    w.formulaLibrary.hide();
}

void OtherWindowsTest::formulaEntryInsertsItsText()
{
    Windows w;
    w.formulaLibrary.setFormulas({"Kreis"}, {"A = Pi*r\u00B2"});
    QCOMPARE(w.mainWindow.ablageMenu()->actions().size(), 3);
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, {"Fl\u00E4che: "});
    setCaret(memo, 0, 8);
    w.mainWindow.ablageMenu()->actions().at(2)->trigger();
    QCOMPARE(pageLines(memo), QStringList{"Fl\u00E4che: A = Pi*r\u00B2"});
}

void OtherWindowsTest::hilfeAndHelpShowTheHelpWindow()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    SetProgramDir(folder.path());
    {
        QFile file(folder.filePath(QStringLiteral("ZIV.hlp")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Hilfe zum Rechner");
    }
    Windows w;
    auto* text = w.help.findChild<QTextEdit*>(QStringLiteral("RichEdit1"));
    QVERIFY(text);
    QCOMPARE(text->toPlainText(), QStringLiteral("Keine Hilfe verf\u00FCgbar...."));

    findAction(w.mainWindow, "Hilfe1")->trigger();
    QVERIFY(w.help.isVisible());
    QCOMPARE(text->toPlainText(), QStringLiteral("Hilfe zum Rechner"));

    // "Help" of the unit definitions window asks for "QVE.hlp", which is missing here: the
    // window shows again with the text it had.
    w.help.hide();
    w.mainWindow.ShowUnitDefinitions();
    QTest::mouseClick(w.unitDefinitions.findChild<QPushButton*>(QStringLiteral("Button1")),
                      Qt::LeftButton);
    QVERIFY(w.help.isVisible());
    QCOMPARE(text->toPlainText(), QStringLiteral("Hilfe zum Rechner"));
    w.help.hide();
    SetProgramDir(QString());
}

void OtherWindowsTest::closingTheMainWindowEndsTheProgram()
{
    Windows w;
    w.mainWindow.ShowKeypad();
    w.mainWindow.ShowUnitDefinitions();
    w.mainWindow.ShowHelp(QStringLiteral("ZIV.hlp"));
    w.mainWindow.ShowFormulaEditor();
    bool timedOut = false;
    QTimer::singleShot(50, &w.mainWindow, [&] { w.mainWindow.close(); });
    QTimer guard; // ends a loop that the closing did not end
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, [&] {
        timedOut = true;
        QCoreApplication::exit(1);
    });
    guard.start(3000);
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!timedOut);
}

// Shown by Ctrl+T (or at start), the keypad leaves the keys with the page, also where the window
// system makes it the active window (the offscreen platform does, as Wayland compositors do).
// F6 and Shift+F6 go round the page, the function box and the decimal places; Esc and Enter in
// the function box give the keyboard back to the page.
void OtherWindowsTest::theKeypadLeavesTheKeyboardWithThePageAndF6ReachesIt()
{
    Windows w;
    auto* box = w.keypad.findChild<QComboBox*>(QStringLiteral("ComboBox1"));
    auto* komma = w.keypad.findChild<TRealSpinEdit*>(QStringLiteral("Komma"));
    QVERIFY(QTest::qWaitForWindowActive(&w.mainWindow));
    press(Qt::Key_T, Qt::ControlModifier);
    QVERIFY(QTest::qWaitForWindowExposed(&w.keypad));
    QTest::qWait(50); // time for a platform that activates new windows
    type("2+2");
    press(Qt::Key_Return);
    QCOMPARE(pageLines(*w.memo1()), (QStringList{"2+2 = 4", ""}));
    QCOMPARE(box->currentText(), QStringLiteral("sin()"));

    press(Qt::Key_F6);
    QTRY_COMPARE(QApplication::focusWidget(), box);
    press(Qt::Key_F6);
    QTRY_COMPARE(QApplication::focusWidget(), komma);
    press(Qt::Key_F6);
    QTRY_COMPARE(QApplication::focusWidget(), w.memo1());
    press(Qt::Key_F6, Qt::ShiftModifier);
    QTRY_COMPARE(QApplication::focusWidget(), komma);
    press(Qt::Key_Escape);
    QTRY_COMPARE(QApplication::focusWidget(), w.memo1());

    // Typed over the box's text, which F6 selected; Enter inserts it as the double click does.
    press(Qt::Key_F6);
    QTRY_COMPARE(QApplication::focusWidget(), box);
    type("cos()");
    press(Qt::Key_Return);
    QTRY_COMPARE(QApplication::focusWidget(), w.memo1());
    type("0");
    press(Qt::Key_Return);
    QCOMPARE(pageLines(*w.memo1()), (QStringList{"2+2 = 4", "cos(0) = 1", ""}));
}

// F6 goes round the page, the other open windows and the notes, and back.
void OtherWindowsTest::f6ReachesTheOpenWindowsAndANote()
{
    Windows w;
    w.help.show();
    ShowNote(
        QStringLiteral("Quorvel wurde beim letzten Mal nicht ordnungsgem\u00E4\u00DF beendet."),
        &w.mainWindow);
    auto* note = w.mainWindow.findChild<QMessageBox*>(QStringLiteral("Hinweis"));
    QVERIFY(note != nullptr);
    QVERIFY(QTest::qWaitForWindowExposed(note));
    QTest::qWait(50); // the offscreen platform activates every new window
    w.mainWindow.activateWindow();
    w.memo1()->setFocus();
    QTRY_COMPARE(QApplication::activeWindow(), &w.mainWindow);
    press(Qt::Key_F6);
    QTRY_COMPARE(QApplication::focusWidget(), w.help.RichEdit1);
    press(Qt::Key_F6);
    QTRY_COMPARE(QApplication::focusWidget(), note->button(QMessageBox::Ok));
    press(Qt::Key_F6);
    QTRY_COMPARE(QApplication::focusWidget(), w.memo1());
    press(Qt::Key_F6, Qt::ShiftModifier);
    QTRY_COMPARE(QApplication::focusWidget(), note->button(QMessageBox::Ok));
    press(Qt::Key_Return);
    QTRY_VERIFY(w.mainWindow.findChild<QWidget*>(QStringLiteral("Hinweis")) == nullptr);
}

QTEST_MAIN(OtherWindowsTest)
#include "other_windows_test.moc"
