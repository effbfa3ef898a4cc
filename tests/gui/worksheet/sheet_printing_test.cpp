// SPDX-License-Identifier: GPL-3.0-or-later
// "Drucken...", "Druckvorschau..." and "Als PDF speichern..." as a user meets them: the PDF of
// the active page read back with poppler's pdftotext, pdfinfo and pdftoppm (text in order,
// wrapped long lines, the red mark, sheets and footers); Ctrl+P reaching the print dialog, and
// the preview worked by keyboard, whose picture is written for the README like the other
// window pictures.
#include "tests/gui/worksheet/gui_test_support.h"

#include "gui/diagram/page_diagrams.h"

#include "gui/platform/accessibility.h"
#include "gui/platform/message_boxes.h"

#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBlockFormat>
#include <QTextCursor>
#include <QTextEdit>

#include <cmath>
#include <utility>

using namespace quorvel;
using namespace quorvel::test;

namespace {

QString run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        qWarning() << program << args << process.readAllStandardError();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The PDF's text, one entry per extracted line, sheets separated by form feeds as in the file.
QString pdfText(const QString& pdf, int sheet = 0)
{
    QStringList args{QStringLiteral("-layout"), QStringLiteral("-enc"), QStringLiteral("UTF-8")};
    if (sheet > 0)
        args << QStringLiteral("-f") << QString::number(sheet) << QStringLiteral("-l")
             << QString::number(sheet);
    return run(QStringLiteral(PDFTOTEXT), args << pdf << QStringLiteral("-"));
}

int pdfPages(const QString& pdf)
{
    const QRegularExpression pages(QStringLiteral("^Pages:\\s+(\\d+)"),
                                   QRegularExpression::MultilineOption);
    return pages.match(run(QStringLiteral(PDFINFO), {pdf})).captured(1).toInt();
}

// Lines written by Enter, as the user would have typed and evaluated them.
void typeSheet(MainWindow& form, QTextEdit& memo, const QStringList& lines)
{
    setPageLines(memo, lines);
    setCaret(memo, 0, 0);
    for (qsizetype i = 0; i < lines.size(); ++i)
        form.MemoKeyPress(QChar(13));
}

// The page saved through the menu entry, the file dialog answered with path.
void savePdf(Windows& w, const QString& path)
{
    QString preset;
    w.printing.runPdfDialog = [&](const QString& name) {
        preset = name;
        return path;
    };
    findAction(w.mainWindow, QStringLiteral("AlsPDFspeichern1"))->trigger();
    QCOMPARE(preset,
             w.mainWindow.pageControl()->tabText(w.mainWindow.pageControl()->currentIndex()) +
                 QStringLiteral(".pdf"));
}

} // namespace

class SheetPrintingTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InstallGermanTranslations(*QCoreApplication::instance()); }
    void pdfHoldsThePageAsShown();
    void sheetsAndFooters();
    void lineAlignmentReachesPaper();
    void pastedTablesAndListsPrint();
    void ctrlPPrintsThroughThePrintDialog();
    void thePreviewIsWorkedByKeyboard();
    void diagramsPrintAsVectors();

private:
    QTemporaryDir m_dir;
};

void SheetPrintingTest::pdfHoldsThePageAsShown()
{
    Windows w;
    QString longFormula;
    for (int i = 0; i < 120; ++i)
        longFormula += QStringLiteral("1+");
    longFormula += QStringLiteral("1");
    typeSheet(w.mainWindow, *w.memo1(),
              {QStringLiteral("Fl\u00E4che: a = 3m*4m"), QStringLiteral("b = a * 2"),
               QStringLiteral("\tEinger\u00FCckt: 2km+500m"), QStringLiteral("Unbekannterwert"),
               QStringLiteral("Text mit Worten"), longFormula, QStringLiteral("b/a")});
    const QString pdf = m_dir.filePath(QStringLiteral("Berechnung.pdf"));
    savePdf(w, pdf);

    const QString text = pdfText(pdf);
    // Every line in order, with its result. Blanks may widen in the extracted layout.
    qsizetype from = 0;
    for (const QString& expected : {QStringLiteral("Fl\u00E4che: a = 3m*4m = 12m\u00B2"),
                                    QStringLiteral("b = a*2 = 24m\u00B2"),
                                    QStringLiteral("Einger\u00FCckt: 2km+500m = 2500m"),
                                    QStringLiteral("Unbekannterwert = Variable not found"),
                                    QStringLiteral("Text mit Worten"), QStringLiteral("b/a = 2")}) {
        QRegularExpression line(QRegularExpression::escape(expected).replace(
            QStringLiteral("\\ "), QStringLiteral("\\s+")));
        const QRegularExpressionMatch m = line.match(text, from);
        QVERIFY2(m.hasMatch(), qPrintable(expected + QStringLiteral(" in\n") + text));
        from = m.capturedEnd();
    }

    // The long line is wrapped onto further lines, none of its characters cut off.
    QString joined = text;
    joined.remove(QRegularExpression(QStringLiteral("\\s")));
    QVERIFY2(joined.contains(longFormula + QStringLiteral("=121")), qPrintable(text));
    QVERIFY(!text.contains(longFormula));

    // The red mark stays red: the name is drawn in pure red, the rest in black.
    const QString prefix = m_dir.filePath(QStringLiteral("sheet"));
    run(QStringLiteral(PDFTOPPM),
        {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-png"),
         QStringLiteral("-singlefile"), pdf, prefix});
    const QImage image(prefix + QStringLiteral(".png"));
    QVERIFY(!image.isNull());
    int red = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 60 && c.blue() < 60 ? 1 : 0;
        }
    QVERIFY2(red > 50, qPrintable(QString::number(red)));
}

void SheetPrintingTest::sheetsAndFooters()
{
    Windows w;
    QStringList lines;
    for (int i = 1; i <= 200; ++i)
        lines << QStringLiteral("Zeile%1 = %1").arg(i);
    setPageLines(*w.memo2(), lines);
    w.mainWindow.pageControl()->setCurrentIndex(1); // the active page is printed
    const QString pdf = m_dir.filePath(QStringLiteral("Notizen.pdf"));
    savePdf(w, pdf);

    const int sheets = pdfPages(pdf);
    QVERIFY2(sheets >= 3, qPrintable(QString::number(sheets)));
    const QString date = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    int lastLine = 0;
    for (int n = 1; n <= sheets; ++n) {
        const QString text = pdfText(pdf, n);
        const QRegularExpression footer(QStringLiteral("Notizen\\s+%1\\s+Seite %2 von %3\\s*$")
                                            .arg(QRegularExpression::escape(date))
                                            .arg(n)
                                            .arg(sheets));
        QVERIFY2(footer.match(text).hasMatch(), qPrintable(text));
        // Sheets follow each other without a line lost or doubled at the break.
        auto it = QRegularExpression(QStringLiteral("Zeile(\\d+) = ")).globalMatch(text);
        while (it.hasNext()) {
            const int number = it.next().captured(1).toInt();
            QCOMPARE(number, lastLine + 1);
            lastLine = number;
        }
    }
    QCOMPARE(lastLine, 200);
}

// Paper is laid out from a copy of the page: each line's own format goes with it, the first
// line's as well. Word boxes in points, the printable width between the binder's margin on the
// left and the narrower one on the right.
void SheetPrintingTest::lineAlignmentReachesPaper()
{
    Windows w;
    setPageLines(*w.memo1(),
                 {QStringLiteral("Mitte"), QStringLiteral("Links"), QStringLiteral("Rechts")});
    for (const auto& [line, alignment] : {std::pair{0, Qt::AlignHCenter}, {2, Qt::AlignRight}}) {
        QTextBlockFormat format;
        format.setAlignment(alignment);
        QTextCursor(w.memo1()->document()->findBlockByNumber(line)).mergeBlockFormat(format);
    }
    const QString pdf = m_dir.filePath(QStringLiteral("Ausrichtung.pdf"));
    savePdf(w, pdf);

    const QString boxes =
        run(QStringLiteral(PDFTOTEXT), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    const double width = QRegularExpression(QStringLiteral("<page width=\"([\\d.]+)\""))
                             .match(boxes)
                             .captured(1)
                             .toDouble();
    auto box = [&](const QString& word) {
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("xMin=\"([\\d.]+)\"[^>]*xMax=\"([\\d.]+)\"[^>]*>") +
                               word + QStringLiteral("<"))
                .match(boxes);
        return std::pair{m.captured(1).toDouble(), m.captured(2).toDouble()};
    };
    constexpr double mm = 72.0 / 25.4;
    const double left = 20 * mm;
    const double right = width - 15 * mm;
    QVERIFY2(width > 500, qPrintable(boxes));
    QVERIFY(std::abs(box(QStringLiteral("Links")).first - left) < 2);
    QVERIFY(std::abs(box(QStringLiteral("Rechts")).second - right) < 2);
    const auto [from, to] = box(QStringLiteral("Mitte"));
    QVERIFY(std::abs((from + to) / 2 - (left + right) / 2) < 2);
}

// A table or a list pasted from another program is printed as the page shows it: cells side by
// side, list items numbered.
void SheetPrintingTest::pastedTablesAndListsPrint()
{
    const QList<std::pair<QString, QStringList>> pastes{
        {QStringLiteral("<table><tr><td>Zelle11</td><td>Zelle12</td></tr></table>"),
         {QStringLiteral("Zelle11 +Zelle12")}},
        {QStringLiteral("<ol><li>Erstens</li><li>Zweitens</li></ol>"),
         {QStringLiteral("1\\. +Erstens"), QStringLiteral("2\\. +Zweitens")}}};
    for (const auto& [html, lines] : pastes) {
        Windows w;
        setPageLines(*w.memo1(), {QStringLiteral("Vorher")});
        QTextCursor end(w.memo1()->document());
        end.movePosition(QTextCursor::End);
        end.insertHtml(html + QStringLiteral("<p>Nachher</p>"));
        const QString pdf = m_dir.filePath(QStringLiteral("Eingefuegt.pdf"));
        savePdf(w, pdf);
        const QString text = pdfText(pdf);
        for (const QString& line :
             lines + QStringList{QStringLiteral("Vorher"), QStringLiteral("Nachher")})
            QVERIFY2(QRegularExpression(QStringLiteral("^ *") + line + QStringLiteral(" *$"),
                                        QRegularExpression::MultilineOption)
                         .match(text)
                         .hasMatch(),
                     qPrintable(line + QStringLiteral(" in\n") + text));
    }
}

// Ctrl+P goes straight to the system's print dialog; the page reaches the printer it chose (a
// PDF file here) only when the dialog says "Drucken".
void SheetPrintingTest::ctrlPPrintsThroughThePrintDialog()
{
    Windows w;
    typeSheet(w.mainWindow, *w.memo1(), {QStringLiteral("a = 6*7")});
    const QString pdf = m_dir.filePath(QStringLiteral("Drucker.pdf"));
    bool print = false;
    int dialogs = 0;
    w.printing.paper.runPrintDialog = [&](QPrinter& printer, QWidget* over) {
        ++dialogs;
        if (over != &w.mainWindow)
            qWarning("the print dialog does not stand over the main window");
        printer.setOutputFileName(pdf);
        return print;
    };
    w.memo1()->setFocus();
    QTest::keyClick(w.memo1(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(dialogs, 1);
    QVERIFY(!QFile::exists(pdf)); // cancelled
    print = true;
    QTest::keyClick(w.memo1(), Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(dialogs, 2);
    QVERIFY(pdfText(pdf).contains(QStringLiteral("a = 6*7 = 42")));
}

// "Druckvorschau..." shows the sheets; every button of its bar takes the keyboard and has an Alt
// letter of its own, and its "Drucken..." (also Ctrl+P) leads to the print dialog.
void SheetPrintingTest::thePreviewIsWorkedByKeyboard()
{
    Windows w;
    const QStringList sheet{
        QStringLiteral("Kraft: F = 80kg*9.81m/s\u00B2"),
        QStringLiteral("Weg: d = 1.5m"),
        QStringLiteral("Arbeit: E = F*d"),
        QStringLiteral("Leistung: P = E/(30s) = W"),
        QStringLiteral("Probe: 3m+2s"),
        QStringLiteral("Gesamtl\u00E4nge: L = 12.5m+7.25m+3.125m+18m+0.75m+250mm+1.5km+"
                       "2.25m+4.5m+0.125km+9m")};
    typeSheet(w.mainWindow, *w.memo1(), sheet);
    int previewSheets = 0;
    int dialogs = 0;
    w.printing.paper.runPrintDialog = [&](QPrinter&, QWidget* over) {
        ++dialogs;
        if (qobject_cast<PrintPreview*>(over) == nullptr)
            qWarning("the print dialog does not stand over the preview");
        return false;
    };
    w.printing.paper.runPreview = [&](PrintPreview& dialog) {
        dialog.resize(640, 860);
        dialog.show();
        QTRY_COMPARE(QApplication::activeWindow(), &dialog);
        QTRY_VERIFY(dialog.view()->pageCount() > 0);
        previewSheets = dialog.view()->pageCount();

        QStringList letters;
        for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
            QVERIFY2(button->focusPolicy() & Qt::TabFocus, qPrintable(button->text()));
            letters << MnemonicOf(button->text());
        }
        letters << MnemonicOf(dialog.findChild<QLabel*>()->text()); // "&Zoom:"
        letters.sort();
        QCOMPARE(letters, (QStringList{"c", "d", "s", "z"}));

        // Tab walks the bar: "Drucken...", "Seite einrichten...", the zoom, "Schließen".
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Drucken"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("SeiteEinrichten"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), dialog.zoom());
        QTest::keyClick(dialog.zoom(), Qt::Key_Down); // "Seitenbreite"
        QCOMPARE(dialog.view()->zoomMode(), QPrintPreviewWidget::FitToWidth);
        QTest::keyClick(dialog.zoom(), Qt::Key_Up);
        QCOMPARE(dialog.view()->zoomMode(), QPrintPreviewWidget::FitInView);
        QTest::qWait(100);
        QVERIFY(dialog.grab().save(pictureDir() + QStringLiteral("/print-preview.png")));

        QTest::keyClick(dialog.zoom(), Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(dialogs, 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::AltModifier);
        QTRY_COMPARE(dialogs, 2);    // a button's Alt letter clicks it a moment later
        QVERIFY(dialog.isVisible()); // the print dialog was cancelled
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(!dialog.isVisible());
    };
    findAction(w.mainWindow, QStringLiteral("Druckvorschau1"))->trigger();
    QCOMPARE(previewSheets, 1);
    QCOMPARE(pageLines(*w.memo1()).size(), sheet.size() + 1); // the page itself is unchanged
}

void SheetPrintingTest::diagramsPrintAsVectors()
{
    Windows w;
    typeSheet(w.mainWindow, *w.memo1(), {QStringLiteral("v = 2m/s"), QStringLiteral("t = 5s")});
    DiagramRequest request;
    request.curves = {{u"v*t", {}, {}, u"weg"}};
    request.variable = u"t";
    request.from = u"0s";
    request.to = u"10s";
    for (int i = 0; i < 4; ++i) {
        QTextCursor after(w.memo1()->document()->lastBlock());
        InsertPictureLine(after, DiagramPicture(SampleDiagram(w.mainWindow.parser(), request)));
    }
    const QString pdf = m_dir.filePath(QStringLiteral("Diagramme.pdf"));
    savePdf(w, pdf);
    // Drawn as vectors, the axes' titles are text; four diagrams of 9.5 cm need two sheets.
    QCOMPARE(pdfText(pdf).count(QStringLiteral("t [s]")), 4);
    QCOMPARE(pdfPages(pdf), 2);
}

QTEST_MAIN(SheetPrintingTest)
#include "sheet_printing_test.moc"
