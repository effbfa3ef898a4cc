// SPDX-License-Identifier: GPL-3.0-or-later
// The diagram window: zoom by wheel, rectangle and keys and back to the whole diagram, the
// values under the pointer, the files, the clipboard, and the window as paper under a dark
// scheme (grabbed as PNG into QUORVEL_PICTURE_DIR for a person to look at).
#include "diagram_samples.h"
#include "gui_test_support.h"

#include "diagram/diagram_view.h"
#include "diagram/diagram_window.h"
#include "diagram/picture_files.h"
#include "platform/message_boxes.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFontMetrics>
#include <QImageReader>
#include <QLabel>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

using namespace quorvel;
using namespace quorvel::test;

namespace {

struct Ranges
{
    AxisRange x;
    AxisRange y;
};

Ranges ranges(const DiagramView& view)
{
    return {view.currentLayout().x, view.currentLayout().y};
}

// The widget position of the values.
QPoint at(const DiagramView& view, double x, double y)
{
    const DiagramLayout& l = view.currentLayout();
    return QPointF(XPosition(l, x), YPosition(l, y)).toPoint();
}

void click(DiagramWindow& window, const char* name)
{
    window.findChild<QPushButton*>(QString::fromLatin1(name))->click();
}

// A window showing v*t over t, v = 3m/s, at a known size.
struct Shown
{
    Shown()
    {
        window.resize(700, 500);
        window.showDiagram(distanceDiagram());
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    DiagramWindow window;
    DiagramView& view = *window.view();
};

} // namespace

class DiagramWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InstallGermanTranslations(*QCoreApplication::instance()); }
    void zoomChangesTheRangesAndGanzesDiagrammRestoresThem();
    void theStatusLineShowsTheValuesUnderThePointer();
    void printingGoesThroughThePrintDialogOrThePreview();
    void picturesAreSavedAsPngSvgAndPdf();
    void aFileThatCannotBeWrittenIsReported();
    void theClipboardGetsThePictureAndTheValues();
    void theWindowIsPaperAndNamedForScreenReaders();
};

void DiagramWindowTest::zoomChangesTheRangesAndGanzesDiagrammRestoresThem()
{
    Shown s;
    DiagramView& view = s.view;
    auto* whole = s.window.findChild<QPushButton*>(QStringLiteral("GanzesDiagramm"));
    const Ranges all = ranges(view);
    QCOMPARE(all.x.min, 0.0);
    QCOMPARE(all.x.max, 10.0);
    QVERIFY(!whole->isEnabled());

    // One notch of the wheel: a smaller range, the values under the pointer stay under it.
    const QPoint p = at(view, 4.0, 12.0);
    const double px = XValueAt(view.currentLayout(), p.x());
    const double py = YValueAt(view.currentLayout(), p.y());
    QWheelEvent wheel(p, view.mapToGlobal(p), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &wheel);
    QCOMPARE_LT(ranges(view).x.max - ranges(view).x.min, 10.0 * 0.81);
    QVERIFY(qAbs(XValueAt(view.currentLayout(), p.x()) - px) < 1e-9);
    QVERIFY(qAbs(YValueAt(view.currentLayout(), p.y()) - py) < 1e-9);
    QVERIFY(whole->isEnabled());

    // A dragged rectangle fills the plot; a flat one chooses x alone.
    QTest::keyClick(&s.window, Qt::Key_0, Qt::ControlModifier);
    QCOMPARE(ranges(view).x.max, all.x.max);
    QVERIFY(!whole->isEnabled());
    QTest::mousePress(&view, Qt::LeftButton, {}, at(view, 2.0, 20.0));
    QTest::mouseMove(&view, at(view, 5.0, 10.0));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, at(view, 6.0, 9.0));
    const double pixel = (all.x.max - all.x.min) / view.currentLayout().plot.width;
    QVERIFY(qAbs(ranges(view).x.min - 2.0) < 2 * pixel);
    QVERIFY(qAbs(ranges(view).x.max - 6.0) < 2 * pixel);
    QVERIFY(qAbs(ranges(view).y.min - 9.0) < 0.2);
    QVERIFY(qAbs(ranges(view).y.max - 20.0) < 0.2);
    const AxisRange yBefore = ranges(view).y;
    QTest::mousePress(&view, Qt::LeftButton, {}, at(view, 3.0, 15.0));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, at(view, 4.0, 15.0) + QPoint(0, 2));
    QCOMPARE(ranges(view).y.max, yBefore.max);
    QVERIFY(qAbs(ranges(view).x.max - 4.0) < 2 * pixel);

    // Keys for those without a mouse: Ctrl+- and Ctrl++ about the middle, arrows move.
    whole->click();
    QCOMPARE(ranges(view).x.min, all.x.min);
    QCOMPARE(ranges(view).y.max, all.y.max);
    view.setFocus();
    QTest::keyClick(&s.window, Qt::Key_Minus, Qt::ControlModifier);
    QVERIFY(qAbs(ranges(view).x.max - ranges(view).x.min - 10.0 / 0.8) < 1e-9);
    QTest::keyClick(&s.window, Qt::Key_Plus, Qt::ControlModifier);
    QVERIFY(qAbs(ranges(view).x.max - ranges(view).x.min - 10.0) < 1e-9);
    QVERIFY(qAbs(ranges(view).x.min - all.x.min) < 1e-9);
    QTest::keyClick(&view, Qt::Key_Right);
    QVERIFY(qAbs(ranges(view).x.min - 1.0) < 1e-9);
    QTest::keyClick(&s.window, Qt::Key_Escape);
    QVERIFY(!s.window.isVisible());
}

void DiagramWindowTest::theStatusLineShowsTheValuesUnderThePointer()
{
    Shown s;
    auto* status = s.window.findChild<QLabel*>(QStringLiteral("Status"));
    const QString hint = status->text();
    QTest::mouseMove(&s.view, at(s.view, 4.0, 12.0));
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^t = ([-0-9.]+)s   v\\*t = ([-0-9.]+)m$"))
            .match(status->text());
    QVERIFY2(m.hasMatch(), qPrintable(status->text()));
    QVERIFY(qAbs(m.captured(1).toDouble() - 4.0) < 0.05);
    QVERIFY(qAbs(m.captured(2).toDouble() - 12.0) < 0.2);
    QTest::mouseMove(&s.view, QPoint(2, 2)); // outside the plot
    QCOMPARE(status->text(), hint);
    // The hint is read whole: narrower than its one line, the window wraps it.
    const QFontMetrics metrics(status->font());
    QVERIFY(metrics.horizontalAdvance(hint) > status->contentsRect().width());
    QTRY_VERIFY(
        metrics
            .boundingRect(QRect(0, 0, status->contentsRect().width(), 1000), Qt::TextWordWrap, hint)
            .height() <= status->contentsRect().height());
}

// "Drucken..." goes to the print dialog, "Druckvorschau..." to the preview.
void DiagramWindowTest::printingGoesThroughThePrintDialogOrThePreview()
{
    Shown s;
    QStringList asked;
    s.window.paper.runPrintDialog = [&](QPrinter&, QWidget*) {
        asked << QStringLiteral("Drucken");
        return false;
    };
    s.window.paper.runPreview = [&](PrintPreview& preview) {
        asked << QStringLiteral("Vorschau");
        QCOMPARE(preview.parentWidget(), &s.window);
    };
    click(s.window, "Drucken");
    click(s.window, "Druckvorschau");
    QCOMPARE(asked, (QStringList{"Drucken", "Vorschau"}));
}

void DiagramWindowTest::picturesAreSavedAsPngSvgAndPdf()
{
    Shown s;
    QTemporaryDir dir;
    QString chosen;
    s.window.runSaveDialog = [&](const QString&) { return chosen; };
    for (const char* suffix : {"png", "svg", "PDF"}) {
        chosen = dir.filePath(QStringLiteral("weg.") + QLatin1String(suffix));
        click(s.window, "BildSpeichern");
        QVERIFY2(QFile::exists(chosen), suffix);
    }
    const QImage png(dir.filePath(QStringLiteral("weg.png")));
    QCOMPARE(png.size(), s.view.size() * 2);
    QVERIFY2(QImageReader::supportedImageFormats().contains("svg"), "Qt's SVG image plugin");
    QCOMPARE(QImage(dir.filePath(QStringLiteral("weg.svg"))).size(), s.view.size());

    QFile pdf(dir.filePath(QStringLiteral("weg.PDF")));
    QVERIFY(pdf.open(QIODevice::ReadOnly));
    QVERIFY(pdf.readAll().startsWith("%PDF-"));
#ifdef PDFTOTEXT
    // The titles stay text in the PDF.
    QProcess text;
    text.start(QStringLiteral(PDFTOTEXT), {pdf.fileName(), QStringLiteral("-")});
    QVERIFY(text.waitForFinished(20000));
    const QString words = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(words.contains(QStringLiteral("t [s]")) && words.contains(QStringLiteral("v*t [m]")),
             qPrintable(words));
#endif
}

void DiagramWindowTest::aFileThatCannotBeWrittenIsReported()
{
    Shown s;
    QTemporaryDir dir;
    for (const QString& name : {QStringLiteral("fehlt/weg.png"), QStringLiteral("weg.jpg")}) {
        const QString path = dir.filePath(name);
        s.window.runSaveDialog = [&](const QString&) { return path; };
        ModalDriver driver;
        driver.thenPressOk();
        click(s.window, "BildSpeichern");
        QVERIFY(driver.waitDone());
        QVERIFY2(driver.seen.value(0).startsWith(QStringLiteral("Die Datei ") +
                                                 QDir::toNativeSeparators(path)),
                 qPrintable(driver.seen.value(0)));
        QVERIFY(!QFile::exists(path));
    }
}

void DiagramWindowTest::theClipboardGetsThePictureAndTheValues()
{
    Shown s;
    click(s.window, "WerteKopieren");
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    QVERIFY(mime->text().startsWith(QStringLiteral("t [s];v*t [m]\n0;0\n1;3\n")));
    QVERIFY(mime->text().endsWith(QStringLiteral("\n10;30\n")));
    QCOMPARE(mime->data(QStringLiteral("text/csv")), mime->text().toUtf8());

    s.view.zoomBy(0.5, s.view.rect().center()); // the picture shows what the window shows
    click(s.window, "Kopieren");
    const QImage image = QApplication::clipboard()->image();
    QCOMPARE(image.size(), s.view.size() * 2);
    QCOMPARE(image, PictureImage(s.view.currentLayout().picture, kPicturePixelsPerUnit));
}

void DiagramWindowTest::theWindowIsPaperAndNamedForScreenReaders()
{
    const QPalette before = QApplication::palette();
    for (const bool dark : {false, true}) {
        if (dark) {
            QPalette scheme;
            scheme.setColor(QPalette::Window, QColor(0x2a, 0x2a, 0x2e));
            scheme.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xee));
            scheme.setColor(QPalette::Base, QColor(0x1c, 0x1c, 0x1e));
            scheme.setColor(QPalette::Button, QColor(0x33, 0x33, 0x36));
            scheme.setColor(QPalette::ButtonText, QColor(0xee, 0xee, 0xee));
            QApplication::setPalette(scheme);
        }
        DiagramWindow window;
        window.resize(720, 480);
        // Falling times on the earth and the moon; below a height of zero there are none.
        window.showDiagram(sampleDiagram({u"gE = 9.81m/s\u00B2"},
                                         {u"SQRT(2*H/gE)", u"SQRT(2*H/(gE/6))"}, u"H", u"-2m",
                                         u"20m", 221));
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        DiagramView& view = *window.view();
        QTest::mouseMove(&view, at(view, 12.0, 3.0));
        const QImage image = window.grab().toImage();
        QVERIFY(
            image.save(pictureDir() + (dark ? "/diagram-window-dark.png" : "/diagram-window.png")));
        const QImage paper = view.grab().toImage();
        QCOMPARE(paper.pixelColor(at(view, 18.5, 0.3)), QColor(Qt::white)); // below the curves
        QCOMPARE(view.accessibleName(),
                 QStringLiteral("SQRT(2*H/gE), SQRT(2*H/(gE/6)) [s] \u00FCber H [m]"));
        QVERIFY2(view.accessibleDescription().contains(
                     QStringLiteral("SQRT(2*H/gE): 20 von 221 Punkten ohne Wert; der erste bei "
                                    "H = -2m: Invalid floating point operation")),
                 qPrintable(view.accessibleDescription()));
    }
    QApplication::setPalette(before);
}

QTEST_MAIN(DiagramWindowTest)
#include "diagram_window_test.moc"
