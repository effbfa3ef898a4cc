// SPDX-License-Identifier: GPL-3.0-or-later
// UnitDefinitionsWindow "Einheit eingeben": design values, compiling on every close attempt, the
// window staying open while a line fails or the evaluator raises, and the first showing's
// check of the main window.
#include "tests/gui/worksheet/gui_test_support.h"

#include "gui/platform/message_boxes.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

using namespace quorvel;
using namespace quorvel::test;

namespace {

QStringList memoLines(const UnitDefinitionsWindow& form)
{
    QStringList lines;
    for (QTextBlock b = form.SiListBox->document()->begin(); b.isValid(); b = b.next())
        lines << b.text();
    return lines;
}

QStringList unitNames(const TEFParser& parser)
{
    QStringList names;
    for (std::int32_t i = 0; i < parser.Units.Count; ++i)
        names << QString::fromStdU16String(parser.Units.at(i).Name);
    return names;
}

const QStringList kDefaultLines{"N = kg*m/s\u00B2", "Pa = N/m\u00B2",   "J = kg*m\u00B2/s\u00B2",
                                "W = J/s",          "kW = 1000W",       "g = 0.001kg",
                                "h = 3600s",        "min = 60s",        "mm = 0.001m",
                                "km = 1000m",       "l = m\u00B3/1000", "ml = l/1000",
                                "\u20AC = 1",       "St\u00FCck = 1"};

QPushButton* button(const UnitDefinitionsWindow& form, const char* name)
{
    return form.findChild<QPushButton*>(QString::fromLatin1(name));
}

} // namespace

class UnitDefinitionsWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InstallGermanTranslations(*QCoreApplication::instance()); }

    void designValues();
    void defaultLinesCompile();
    void compileNormalisesTheLines();
    void refusesToCloseWhileALineFails_data();
    void refusesToCloseWhileALineFails();
    void closesAfterTheFix();
    void exceptionIsShownAndKeepsTheWindowOpen();
    void helpButtonAsksForQveHlp();
    void keyboardLeavesTheDefinitionsByTabAndAltLetters();
    void firstShowingWithFailingDefinitionOpensTheWindowModally();
    void firstShowingWithAnExceptionShowsOnlyTheMessage();
    void firstShowingDoesNotOpenAVisibleWindowAgain();
};

void UnitDefinitionsWindowTest::designValues()
{
    TEFParser parser;
    UnitDefinitionsWindow form(parser);
    QCOMPARE(form.objectName(), QStringLiteral("Form4"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Einheit eingeben"));
    QCOMPARE(form.size(), QSize(226, 413));
    QCOMPARE(form.SiListBox->objectName(), QStringLiteral("SiListBox"));
    QCOMPARE(form.SiListBox->font().family(), QStringLiteral("Arial"));
    QCOMPARE(form.SiListBox->font().pixelSize(), 15);
    QVERIFY(form.SiListBox->font().bold());
    QCOMPARE(form.SiListBox->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(button(form, "Button1")->text(), QStringLiteral("&Help")); // reads "Help", Alt+H
    QCOMPARE(button(form, "Button2")->text(), QStringLiteral("&OK"));
    QCOMPARE(memoLines(form), kDefaultLines);
    QVERIFY(!form.isVisible());
}

void UnitDefinitionsWindowTest::defaultLinesCompile()
{
    TEFParser parser;
    UnitDefinitionsWindow form(parser);
    QVERIFY(form.CompileUnitDefinitions());
    QCOMPARE(unitNames(parser),
             (QStringList{"",   "m",  "kg", "s",  "K",      "A",         "mol", "cd",
                          "N",  "Pa", "J",  "W",  "kW",     "g",         "h",   "min",
                          "mm", "km", "l",  "ml", "\u20AC", "St\u00FCck"}));
    QCOMPARE(memoLines(form), kDefaultLines);
}

void UnitDefinitionsWindowTest::compileNormalisesTheLines()
{
    TEFParser parser;
    UnitDefinitionsWindow form(parser);
    form.setLines(
        {"kW=1000 W ; kilowatt", "   ", "W = kg*m\u00B2/s\u00B3", "kW=1000 W ; kilowatt", "abc"});
    QVERIFY(!form.CompileUnitDefinitions());
    QCOMPARE(memoLines(form), (QStringList{"kW = 1000W; Variable not found", "   ",
                                           "W = kg*m\u00B2/s\u00B3", "kW = 1000W", "abc = ; OK!"}));
}

void UnitDefinitionsWindowTest::refusesToCloseWhileALineFails_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("OK button") << "ok";
    QTest::newRow("close command") << "close";
    QTest::newRow("Esc") << "esc";
}

void UnitDefinitionsWindowTest::refusesToCloseWhileALineFails()
{
    QFETCH(QString, how);
    TEFParser parser;
    UnitDefinitionsWindow form(parser);
    form.setLines({"W = J/s", "J = kg*m\u00B2/s\u00B2"});
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    ModalDriver driver;
    driver.thenPressOk();
    if (how == "ok")
        QTest::mouseClick(button(form, "Button2"), Qt::LeftButton);
    else if (how == "close")
        form.close();
    else
        QTest::keyClick(form.SiListBox, Qt::Key_Escape);
    QVERIFY(driver.waitDone());

    QVERIFY(form.isVisible());
    QCOMPARE(driver.seen, QStringList{"Fehler bei Einheitendefinition"});
    QCOMPARE(driver.seenButtons, QStringList{"OK"});
    QCOMPARE(memoLines(form),
             (QStringList{"W = J/s; Variable not found", "J = kg*m\u00B2/s\u00B2"}));
    QVERIFY(parser.Units.IndexOf(u"J") >= 0); // the lines that compiled are in the table
    QVERIFY(parser.Units.IndexOf(u"W") < 0);
}

void UnitDefinitionsWindowTest::closesAfterTheFix()
{
    TEFParser parser;
    UnitDefinitionsWindow form(parser);
    form.setLines({"W = J/s", "J = kg*m\u00B2/s\u00B2"});
    form.show();
    ModalDriver driver;
    driver.thenPressOk();
    QTest::mouseClick(button(form, "Button2"), Qt::LeftButton);
    QVERIFY(driver.waitDone());
    QVERIFY(form.isVisible());

    // The user moves the line down; the old error text after ";" is dropped by the compile.
    form.setLines({"J = kg*m\u00B2/s\u00B2", "W = J/s; Variable not found"});
    QTest::mouseClick(button(form, "Button2"), Qt::LeftButton);
    QVERIFY(!form.isVisible());
    QCOMPARE(memoLines(form), (QStringList{"J = kg*m\u00B2/s\u00B2", "W = J/s"}));
    QVERIFY(parser.Units.IndexOf(u"W") >= 0);
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

// Tab and Alt with a button's letter leave the text as it is: no tab, no letter typed.
void UnitDefinitionsWindowTest::keyboardLeavesTheDefinitionsByTabAndAltLetters()
{
    TEFParser parser;
    UnitDefinitionsWindow form(parser);
    QSignalSpy help(&form, &UnitDefinitionsWindow::helpRequested);
    form.setLines({"N = kg*m/s\u00B2"});
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.SiListBox->setFocus();
    form.SiListBox->moveCursor(QTextCursor::End);
    QTest::keyClick(form.SiListBox, Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget(), button(form, "Button1"));
    form.SiListBox->setFocus();
    QTest::keyClick(form.SiListBox, Qt::Key_H, Qt::AltModifier);
    QTRY_COMPARE(help.count(), 1); // a button pressed by its letter clicks a moment later
    QCOMPARE(memoLines(form), QStringList{"N = kg*m/s\u00B2"});
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::AltModifier);
    QTRY_VERIFY(!form.isVisible());
}

void UnitDefinitionsWindowTest::exceptionIsShownAndKeepsTheWindowOpen()
{
    TEFParser parser;
    UnitDefinitionsWindow form(parser);
    form.setLines({"km = 1000m", "x = 1/0", "y = 2km"});
    form.show();
    ModalDriver driver;
    driver.thenPressOk();
    form.close();
    QVERIFY(driver.waitDone());
    QVERIFY(form.isVisible());
    QCOMPARE(driver.seen, QStringList{"Division by zero in SiDiv"});
    // The compile stopped at the line: it and the lines below stay as they were.
    QCOMPARE(memoLines(form), (QStringList{"km = 1000m", "x = 1/0", "y = 2km"}));
    QCOMPARE(parser.Units.Count, 9);
    form.hide();
}

void UnitDefinitionsWindowTest::helpButtonAsksForQveHlp()
{
    TEFParser parser;
    UnitDefinitionsWindow form(parser);
    QSignalSpy spy(&form, &UnitDefinitionsWindow::helpRequested);
    form.show();
    QTest::mouseClick(button(form, "Button1"), Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("QVE.hlp"));
    QVERIFY(form.isVisible());
    form.hide();
}

void UnitDefinitionsWindowTest::firstShowingWithFailingDefinitionOpensTheWindowModally()
{
    MainWindow mainWindow;
    UnitDefinitionsWindow unitDefinitions(mainWindow.parser());
    mainWindow.setUnitDefinitionsWindow(&unitDefinitions);
    unitDefinitions.setLines({"N = kg*m/s\u00B2", "kp = 9.81 N*gg"});

    bool wasModal = false;
    ModalDriver driver;
    driver.thenPressOk(); // "Fehler bei Einheitendefinition"
    driver.then([&](QWidget* window) {
        QCOMPARE(window, &unitDefinitions);
        wasModal = unitDefinitions.isModal();
        QCOMPARE(memoLines(unitDefinitions).value(1),
                 QStringLiteral("kp = 9.81N*gg; Variable not found"));
        unitDefinitions.setLines({"N = kg*m/s\u00B2", "g = 0.001kg", "kp = 9.81 N"});
        QTest::mouseClick(button(unitDefinitions, "Button2"), Qt::LeftButton);
    });
    mainWindow.show();
    QVERIFY(driver.waitDone());
    QVERIFY(QTest::qWaitFor([&] { return !unitDefinitions.isVisible(); }));

    QCOMPARE(driver.seen, QStringList{"Fehler bei Einheitendefinition"});
    QVERIFY(wasModal);
    QVERIFY(mainWindow.parser().Units.IndexOf(u"kp") >= 0);
    QVERIFY(mainWindow.shownOnce());

    // Later showings do not check again.
    mainWindow.hide();
    unitDefinitions.setLines({"bad = 1/gg"});
    mainWindow.show();
    QCoreApplication::processEvents();
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void UnitDefinitionsWindowTest::firstShowingWithAnExceptionShowsOnlyTheMessage()
{
    MainWindow mainWindow;
    UnitDefinitionsWindow unitDefinitions(mainWindow.parser());
    mainWindow.setUnitDefinitionsWindow(&unitDefinitions);
    unitDefinitions.setLines({"a = 1/0", "b = 1/gg"});

    ModalDriver driver;
    driver.thenPressOk();
    mainWindow.show();
    QVERIFY(driver.waitDone());
    QTest::qWait(50);
    QCOMPARE(driver.seen, QStringList{"Division by zero in SiDiv"});
    QVERIFY(!unitDefinitions.isVisible());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
}

void UnitDefinitionsWindowTest::firstShowingDoesNotOpenAVisibleWindowAgain()
{
    MainWindow mainWindow;
    UnitDefinitionsWindow unitDefinitions(mainWindow.parser());
    mainWindow.setUnitDefinitionsWindow(&unitDefinitions);
    unitDefinitions.setLines({"b = 1/gg"});
    unitDefinitions.show();

    ModalDriver driver;
    driver.thenPressOk();
    mainWindow.show();
    QVERIFY(driver.waitDone());
    QTest::qWait(50);
    QVERIFY(unitDefinitions.isVisible());
    QVERIFY(!unitDefinitions.isModal());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    unitDefinitions.hide();
}

QTEST_MAIN(UnitDefinitionsWindowTest)
#include "unit_definitions_window_test.moc"
