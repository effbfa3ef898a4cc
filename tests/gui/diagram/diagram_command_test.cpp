// SPDX-License-Identifier: GPL-3.0-or-later
// "Diagramm..." on the program's pages: the entries in "Bearbeiten" and the popup menu with their
// shortcut, the messages when there is nothing to draw or the range is refused, and a diagram
// that leaves the page as it was.
#include "tests/gui/worksheet/gui_test_support.h"

#include "gui/diagram/diagram_command.h"
#include "gui/diagram/diagram_dialog.h"
#include "gui/diagram/diagram_view.h"
#include "gui/platform/message_boxes.h"
#include "gui/rtf/picture_format.h"
#include "gui/rtf/reader.h"
#include "gui/rtf/writer.h"
#include "gui/worksheet/key_table.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// Lines typed and evaluated with Enter, then the selection from (row, column) to (row, column).
void preparePage(Windows& w, const QStringList& lines, QPoint from, QPoint to)
{
    QTextEdit& memo = *w.memo1();
    setPageLines(memo, lines);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        setCaret(memo, static_cast<int>(i), 0);
        if (!lines[i].isEmpty())
            w.mainWindow.MemoKeyPress(QChar(13));
    }
    setCaret(memo, from.y(), from.x());
    QTextCursor c = memo.textCursor();
    const QTextBlock end = memo.document()->findBlockByNumber(to.y());
    c.setPosition(end.position() + to.x(), QTextCursor::KeepAnchor);
    memo.setTextCursor(c);
}

PagePicture pictureOnLine(const QTextEdit& memo, int line)
{
    QTextCursor cursor(memo.document()->findBlockByNumber(line));
    cursor.movePosition(QTextCursor::NextCharacter);
    return PictureOf(cursor.charFormat());
}

void replaceLine(QTextEdit& memo, int line, const QString& text)
{
    QTextCursor cursor(memo.document()->findBlockByNumber(line));
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(text);
}

} // namespace

class DiagramCommandTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InstallGermanTranslations(*QCoreApplication::instance()); }
    void theEntryEndsBothMenusWithItsShortcut();
    void nothingToDrawIsExplained_data();
    void nothingToDrawIsExplained();
    void refusedRangesKeepTheDialogOpen_data();
    void refusedRangesKeepTheDialogOpen();
    void aDiagramLeavesThePageAsItWas();
    void aPointCountOutOfRangeIsCorrectedWhereItShows();
    void diagramsInThePageFollowTheirLines();
};

void DiagramCommandTest::theEntryEndsBothMenusWithItsShortcut()
{
    Windows w;
    QAction* entry = w.mainWindow.diagramAction();
    QCOMPARE(caption(*entry), QStringLiteral("Diagramm..."));
    QCOMPARE(entry->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+D")));
    QMenu* bearbeiten = w.mainWindow.menuBar()->actions().at(1)->menu();
    for (const QMenu* menu : {bearbeiten, w.mainWindow.popupMenu()}) {
        const QList<QAction*> entries = menu->actions();
        QVERIFY(entries.size() >= 2);
        QVERIFY(entries.at(entries.size() - 2)->isSeparator());
        QCOMPARE(entries.last(), entry);
    }
    // Ctrl+Shift with a letter the pages use would be the page's key; this one is not.
    QCOMPARE(FindPageKey(Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier), nullptr);

    w.mainWindow.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&w.mainWindow));
    setPageLines(*w.memo1(), {QStringLiteral("Zylinder aus Stahl")});
    ModalDriver driver;
    driver.thenPressOk();
    QTest::keyClick(w.memo1(), Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(driver.waitDone());
    QVERIFY(driver.seen.value(0).startsWith(QStringLiteral("In Zeile 1 steht keine Formel")));
    QCOMPARE(pageLines(*w.memo1()), QStringList{QStringLiteral("Zylinder aus Stahl")});
}

void DiagramCommandTest::nothingToDrawIsExplained_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QPoint>("from");
    QTest::addColumn<QPoint>("to");
    QTest::addColumn<QString>("message");
    const QStringList prose{"Zylinder aus Stahl", "", "v*t", "VARS"};
    QTest::newRow("prose") << prose << QPoint(3, 0) << QPoint(3, 0)
                           << "In Zeile 1 steht keine Formel, die sich zeichnen l\u00E4sst.";
    QTest::newRow("VARS") << prose << QPoint(0, 3) << QPoint(0, 3) << "In Zeile 4 steht";
    QTest::newRow("selection") << prose << QPoint(2, 0) << QPoint(0, 2)
                               << "In den markierten Zeilen 1 bis 2 steht keine Formel";
    QTest::newRow("selection ending at a line's start")
        << prose << QPoint(0, 1) << QPoint(0, 2) << "In Zeile 2 steht keine Formel";
    QTest::newRow("no variable") << QStringList{"Fl\u00E4che: 2m*3m"} << QPoint(0, 0)
                                 << QPoint(0, 0)
                                 << "Die Formel \u201E2m*3m\u201C enth\u00E4lt keine Variable, "
                                    "\u00FCber der sie gezeichnet werden k\u00F6nnte.";
    QStringList many;
    for (int i = 0; i <= int(kMaxDiagramCurves); ++i)
        many << QStringLiteral("x%1 = 2*a").arg(i);
    QTest::newRow("too many curves") << many << QPoint(0, 0) << QPoint(1, int(kMaxDiagramCurves))
                                     << "Ein Diagramm zeigt h\u00F6chstens 14 Kurven; in den "
                                        "markierten Zeilen stehen mehr Formeln.";
}

void DiagramCommandTest::nothingToDrawIsExplained()
{
    QFETCH(QStringList, lines);
    QFETCH(QPoint, from);
    QFETCH(QPoint, to);
    QFETCH(QString, message);
    Windows w;
    preparePage(w, lines, from, to);
    const PageDiagram found = DiagramOfPage(w.mainWindow.parser(), *w.memo1());
    QVERIFY2(found.message.startsWith(message), qPrintable(found.message));
    QVERIFY(found.curves.empty());
}

void DiagramCommandTest::refusedRangesKeepTheDialogOpen_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("lastLine");
    QTest::addColumn<QString>("message");
    QTest::newRow("range in metres for t in seconds")
        << "0m"
        << "10m" << 2
        << "\u201Evon\u201C und \u201Ebis\u201C (m) m\u00FCssen die Dimension der Variablen t "
           "haben (s).";
    QTest::newRow("von and bis differ") << "0s"
                                        << "3m" << 2 << "\u201Evon\u201C (s) und \u201Ebis\u201C";
    QTest::newRow("lines of different dimensions")
        << "0s"
        << "10s" << 3
        << "Die Formeln haben verschiedene Dimensionen: Zeile 3 \u201Ev*t\u201C in m, Zeile 4 "
           "\u201E2*v\u201C in m/s.";
}

void DiagramCommandTest::refusedRangesKeepTheDialogOpen()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(int, lastLine);
    QFETCH(QString, message);
    Windows w;
    preparePage(w, {"v = 3m/s", "t = 2s", "weg = v*t", "2*v"}, QPoint(0, 2), QPoint(1, lastLine));
    PageDiagram found = DiagramOfPage(w.mainWindow.parser(), *w.memo1());
    QCOMPARE(found.variables.size(), std::size_t(2)); // both formulas' names, each once
    QCOMPARE(QString::fromStdU16String(found.variables.front()), QStringLiteral("v"));
    DiagramDialog dialog(w.mainWindow.parser(), found.curves, found.variables);
    dialog.chooseVariable(QStringLiteral("t"));
    QCOMPARE(dialog.fromEdit->text(), QStringLiteral("0s")); // 0 to twice the present value
    QCOMPARE(dialog.toEdit->text(), QStringLiteral("4s"));
    QCOMPARE(dialog.pointsBox->value(), 201);
    dialog.fromEdit->setText(from);
    dialog.toEdit->setText(to);

    dialog.show();
    ModalDriver driver;
    driver.thenPressOk();
    dialog.accept();
    QVERIFY(driver.waitDone());
    QVERIFY2(driver.seen.value(0).startsWith(message), qPrintable(driver.seen.value(0)));
    QVERIFY(dialog.isVisible());
}

void DiagramCommandTest::aDiagramLeavesThePageAsItWas()
{
    Windows w;
    const QStringList lines{"v = 3m/s", "t = 5s", "Weg: x = v*t = 0km", "v"};
    preparePage(w, lines, QPoint(0, 2), QPoint(0, 2));
    const QStringList before = pageLines(*w.memo1());
    const int revision = w.memo1()->document()->revision();
    const std::int32_t variables = w.mainWindow.parser().VarCount();
    QStringList offered;
    w.diagramCommand.runDialog = [&](DiagramDialog& dialog) {
        for (int i = 0; i < dialog.variableBox->count(); ++i)
            offered << dialog.variableBox->itemText(i);
        dialog.chooseVariable(QStringLiteral("t")); // 0s to 10s, twice its present value
        dialog.pointsBox->setValue(11);
        dialog.logYBox->setChecked(true);
        return dialog.attempt().isEmpty();
    };
    w.mainWindow.diagramAction()->trigger();

    QCOMPARE(offered, (QStringList{"v", "t"}));
    QVERIFY(w.diagram.isVisible());
    const DiagramData& data = w.diagram.view()->data();
    QCOMPARE(data.x.size(), std::size_t(11));
    QCOMPARE(data.x.back(), 10.0);
    QCOMPARE(QString::fromStdU16String(data.yUnit.name), QStringLiteral("km")); // as on the line
    QCOMPARE(data.curves.at(0).values.back(), 0.03);
    QCOMPARE(QString::fromStdU16String(data.curves.at(0).name), QStringLiteral("x"));
    QCOMPARE(data.yScale, AxisScale::Logarithmic);
    QCOMPARE(pageLines(*w.memo1()), before);
    QCOMPARE(w.memo1()->document()->revision(), revision);
    QCOMPARE(w.mainWindow.parser().VarCount(), variables);
}

// "1" typed into the points field stayed on screen while the diagram took the earlier 201.
void DiagramCommandTest::aPointCountOutOfRangeIsCorrectedWhereItShows()
{
    Windows w;
    preparePage(w, {"v = 3m/s", "t = 5s", "x = v*t"}, QPoint(0, 2), QPoint(0, 2));
    QString shown;
    w.diagramCommand.runDialog = [&](DiagramDialog& dialog) {
        dialog.chooseVariable(QStringLiteral("t"));
        dialog.pointsBox->selectAll();
        QTest::keyClicks(dialog.pointsBox, QStringLiteral("1"));
        const bool drawn = dialog.attempt().isEmpty();
        shown = dialog.pointsBox->text();
        return drawn;
    };
    w.mainWindow.diagramAction()->trigger();
    QCOMPARE(w.diagram.view()->data().x.size(), std::size_t(2));
    QCOMPARE(shown, QStringLiteral("2"));
}

QTEST_MAIN(DiagramCommandTest)
#include "diagram_command_test.moc"

void DiagramCommandTest::diagramsInThePageFollowTheirLines()
{
    Windows w;
    QTextEdit& memo = *w.memo1();
    preparePage(w, {"v = 2m/s", "t = 5s", "x = v*t", "Ende"}, QPoint(0, 2), QPoint(0, 2));
    w.diagramCommand.runDialog = [](DiagramDialog& dialog) {
        dialog.chooseVariable(QStringLiteral("t"));
        dialog.pointsBox->setValue(11);
        dialog.insertButton->click();
        return dialog.result() == QDialog::Accepted;
    };
    w.mainWindow.diagramAction()->trigger();
    const QString picture(QChar::ObjectReplacementCharacter);
    QCOMPARE(pageLines(memo).mid(2, 2), (QStringList{"x = v*t = 10m", picture}));
    QCOMPARE(pageLines(memo).size(), 6);
    const PagePicture inserted = pictureOnLine(memo, 3);
    QVERIFY(!QImage::fromData(inserted.bytes, "PNG").isNull());
    QCOMPARE(inserted.request.mid(0, 6),
             (QStringList{"formel", "v*t", "anzeige", "10m", "name", "x"}));
    memo.undo();
    QCOMPARE(pageLines(memo).size(), 5);
    memo.redo();
    QCOMPARE(pageLines(memo).at(3), picture);

    // Enter on the picture's line is the editor's: the line is no formula to rewrite.
    setCaret(memo, 3, 1);
    QVERIFY(!w.mainWindow.MemoKeyPress(QChar(13)));

    replaceLine(memo, 0, QStringLiteral("v = 5m/s"));
    w.mainWindow.RecalcSheet();
    const PagePicture redrawn = pictureOnLine(memo, 3);
    QVERIFY(redrawn.bytes != inserted.bytes);
    QVERIFY(redrawn.fault.isEmpty());

    // A request that no longer draws keeps its picture, marked with the reason.
    replaceLine(memo, 1, QStringLiteral("t = 5kg"));
    w.mainWindow.RecalcSheet();
    QCOMPARE(pictureOnLine(memo, 3).bytes, redrawn.bytes);
    QVERIFY(!pictureOnLine(memo, 3).fault.isEmpty());
    replaceLine(memo, 1, QStringLiteral("t = 5s"));
    w.mainWindow.RecalcSheet();
    QVERIFY(pictureOnLine(memo, 3).fault.isEmpty());
    // So does one of whose points none has a value (v is gone).
    const QByteArray shown = pictureOnLine(memo, 3).bytes;
    replaceLine(memo, 0, QStringLiteral("w = 5m/s"));
    w.mainWindow.RecalcSheet();
    QCOMPARE(pictureOnLine(memo, 3).bytes, shown);
    QVERIFY(pictureOnLine(memo, 3).fault.contains(QStringLiteral("ohne Wert")));
    replaceLine(memo, 0, QStringLiteral("v = 5m/s"));
    w.mainWindow.RecalcSheet();

    // A page file whose request lost its picture gets one at the next F9.
    QByteArray rtf = WriteRtf(*memo.document());
    rtf = QString::fromLatin1(rtf)
              .remove(QRegularExpression(QStringLiteral("\\{\\\\pict[^}]*\\}")))
              .toLatin1();
    QVERIFY(!rtf.contains("\\pict"));
    QVERIFY(ReadRtf(rtf, *memo.document()));
    QVERIFY(pictureOnLine(memo, 3).bytes.isEmpty());
    w.mainWindow.RecalcSheet();
    QVERIFY(!QImage::fromData(pictureOnLine(memo, 3).bytes, "PNG").isNull());
}
