// SPDX-License-Identifier: GPL-3.0-or-later
// The diagram window: zoom by wheel, rectangle, keys and typed ranges and back to the whole
// diagram, the visible range sampled again, the trace that reads the formulas' values under the
// pointer and at the arrow keys, the files, the clipboard, and the window as paper under a dark
// scheme and as a chart for screen readers (grabbed as PNG into QUORVEL_PICTURE_DIR for a person
// to look at).
#include "tests/gui/dark_palette.h"
#include "tests/gui/diagram/diagram_samples.h"
#include "tests/gui/worksheet/gui_test_support.h"

#include "gui/diagram/diagram_view.h"
#include "gui/diagram/diagram_window.h"
#include "gui/diagram/picture_files.h"
#include "gui/platform/message_boxes.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFontMetrics>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <numbers>

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

// The status line «t = 3.99s   v*t = 11.97m» as its two numbers.
std::pair<double, double> readout(const QLabel& status)
{
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^t = ([-0-9.]+)s   v\\*t = ([-0-9.]+)m$"))
            .match(status.text());
    if (!m.hasMatch())
        return {qQNaN(), qQNaN()};
    return {m.captured(1).toDouble(), m.captured(2).toDouble()};
}

// The curve's polylines in the view as painted now.
QList<std::vector<PicturePoint>> curveLines(const DiagramView& view)
{
    QList<std::vector<PicturePoint>> lines;
    for (const PictureItem& item : view.currentLayout().picture.items) {
        if (const auto* line = std::get_if<PolylineItem>(&item);
            line && line->role == ItemRole::Curve)
            lines << line->points;
    }
    return lines;
}

// A window showing a diagram, by default v*t over t, v = 3m/s, at a known size.
struct Shown
{
    explicit Shown(DiagramData diagram = distanceDiagram())
    {
        window.resize(700, 560);
        window.showDiagram(std::move(diagram));
        QVERIFY(QTest::qWaitForWindowExposed(&window));
    }
    DiagramWindow window;
    DiagramView& view = *window.view();
    QLabel& status = *window.findChild<QLabel*>(QStringLiteral("Status"));
};

} // namespace

class DiagramWindowTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InstallGermanTranslations(*QCoreApplication::instance()); }
    void theDiagramIsLaidOutAtTheSizeShown();
    void zoomChangesTheRangesAndGanzesDiagrammRestoresThem();
    void typedRangesAreShown();
    void zoomSamplesThePoleAgain();
    void theStatusLineShowsTheFormulasValuesUnderThePointer();
    void theArrowKeysMoveTheTraceAndScreenReadersHearIt();
    void printingGoesThroughThePrintDialogOrThePreview();
    void picturesAreSavedAsPngSvgAndPdf();
    void aFileThatCannotBeWrittenIsReported();
    void theClipboardGetsThePictureAndTheValues();
    void theWindowIsPaperAndNamedForScreenReaders();
};

void DiagramWindowTest::theDiagramIsLaidOutAtTheSizeShown()
{
    // Laid out before the window is shown, and not again when it is: at the size shown.
    Shown s;
    const auto laidOut = [&s] {
        const Picture& picture = s.view.currentLayout().picture;
        return QSize(qRound(picture.width), qRound(picture.height));
    };
    QCOMPARE(laidOut(), s.view.size());
    const int before = s.view.width();
    s.window.resize(900, 640);
    QTRY_VERIFY(s.view.width() > before);
    QCOMPARE(laidOut(), s.view.size());
}

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
    QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
    QVERIFY(qAbs(ranges(view).x.min - 1.0) < 1e-9);
    QTest::keyClick(&s.window, Qt::Key_Escape);
    QVERIFY(!s.window.isVisible());
}

void DiagramWindowTest::typedRangesAreShown()
{
    Shown s;
    const auto field = [&](const char* name) {
        return s.window.findChild<QLineEdit*>(QString::fromLatin1(name));
    };
    QCOMPARE(field("XVon")->text(), QStringLiteral("0.00"));
    QCOMPARE(field("XBis")->text(), QStringLiteral("10.00"));
    field("XVon")->setText(QStringLiteral("2"));
    field("XBis")->setText(QStringLiteral("0.1min")); // a quantity of the axis's dimension
    field("YVon")->setText(QStringLiteral("5"));
    field("YBis")->setText(QStringLiteral("15m"));
    QTest::keyClick(field("YBis"), Qt::Key_Return);
    QCOMPARE(ranges(s.view).x.min, 2.0);
    QCOMPARE(ranges(s.view).x.max, 6.0);
    QCOMPARE(ranges(s.view).y.max, 15.0);
    QCOMPARE(field("XBis")->text(), QStringLiteral("6.000"));

    for (const auto& [typed, message] :
         {std::pair{QStringLiteral("2km"), QStringLiteral("\u201E2km\u201C ist kein Wert f\u00FCr "
                                                          "die x-Achse")},
          {QStringLiteral("9"), QStringLiteral("Diesen Bereich kann das Diagramm nicht zeigen")}}) {
        field("XVon")->setText(typed);
        ModalDriver driver;
        driver.thenPressOk();
        QTest::keyClick(field("XVon"), Qt::Key_Return);
        QVERIFY(driver.waitDone());
        QVERIFY2(driver.seen.value(0).startsWith(message), qPrintable(driver.seen.value(0)));
        QCOMPARE(ranges(s.view).x.min, 2.0);
    }
}

void DiagramWindowTest::zoomSamplesThePoleAgain()
{
    Shown s(sampleDiagram({}, {u"TAN(x)"}, u"x", u"-5", u"5", 200));
    const double pole = std::numbers::pi / 2;
    QVERIFY(s.view.showRanges({1.55, 1.59}, {-100.0, 100.0}));
    QVERIFY(s.view.sampledAgain());
    // Both branches reach the plot's edges, and no stroke joins them across the pole.
    const double at = XPosition(s.view.currentLayout(), pole);
    const QList<std::vector<PicturePoint>> lines = curveLines(s.view);
    QCOMPARE(lines.size(), 2);
    for (const std::vector<PicturePoint>& line : lines) {
        const bool left = line.front().x < at;
        for (const PicturePoint& p : line)
            QCOMPARE(p.x < at, left);
    }
    const PictureRect plot = s.view.currentLayout().plot;
    QVERIFY(qAbs(lines[0].back().y - plot.y) < 0.01);
    QVERIFY(qAbs(lines[1].front().y - plot.bottom()) < 0.01);

    // Near the pole the readout is the formula's value, not the pointer's height.
    s.view.traceAt(1.5611);
    QVERIFY2(s.status.text().startsWith(QStringLiteral("x = 1.56110   TAN(x) = 103.1")),
             qPrintable(s.status.text()));
    click(s.window, "GanzesDiagramm");
    QVERIFY(!s.view.sampledAgain());
}

void DiagramWindowTest::theStatusLineShowsTheFormulasValuesUnderThePointer()
{
    Shown s;
    const QString hint = s.status.text();
    // On the zero line, far below the curve: the curve's value at the pointer's x.
    QTest::mouseMove(&s.view, at(s.view, 4.0, 0.0));
    const auto [t, way] = readout(s.status);
    QVERIFY2(qAbs(t - 4.0) < 0.05, qPrintable(s.status.text()));
    QVERIFY(qAbs(way - 3.0 * t) < 1e-9);
    QTest::mouseMove(&s.view, QPoint(2, 2)); // outside the plot
    QCOMPARE(s.status.text(), hint);
    // The hint is read whole: narrower than its one line, the window wraps it.
    const QFontMetrics metrics(s.status.font());
    QVERIFY(metrics.horizontalAdvance(hint) > s.status.contentsRect().width());
    QTRY_VERIFY(metrics
                    .boundingRect(QRect(0, 0, s.status.contentsRect().width(), 1000),
                                  Qt::TextWordWrap, hint)
                    .height() <= s.status.contentsRect().height());
    // A wheel zoom about the pointer reads where the pointer is now.
    const QPoint p = at(s.view, 7.0, 5.0);
    QTest::mouseMove(&s.view, p);
    QWheelEvent wheel(p, s.view.mapToGlobal(p), {}, {0, 240}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(&s.view, &wheel);
    const auto [t2, way2] = readout(s.status);
    QVERIFY(qAbs(t2 - 7.0) < 0.05);
    QVERIFY(qAbs(way2 - 3.0 * t2) < 1e-9);
}

void DiagramWindowTest::theArrowKeysMoveTheTraceAndScreenReadersHearIt()
{
    Shown s;
    s.view.setFocus();
    QAccessibleInterface* chart = QAccessible::queryAccessibleInterface(&s.view);
    QCOMPARE(chart->role(), QAccessible::Chart);
    QVERIFY2(chart->text(QAccessible::Description)
                 .startsWith(QStringLiteral("Kurve v*t; t [s] von 0.00 bis 10.00; v*t [m] von")),
             qPrintable(chart->text(QAccessible::Description)));

    QTest::keyClick(&s.view, Qt::Key_Right); // the trace starts in the middle
    const auto [t0, way0] = readout(s.status);
    QVERIFY(qAbs(t0 - 5.0) < 0.05);
    QVERIFY(qAbs(way0 - 3.0 * t0) < 1e-9);
    QAccessibleInterface* line = QAccessible::queryAccessibleInterface(&s.status);
    QCOMPARE(line->text(QAccessible::Name), s.view.accessibleReadout());
    QCOMPARE(chart->text(QAccessible::Value), s.view.accessibleReadout());
    QVERIFY(s.view.accessibleReadout().contains(QStringLiteral("; v*t = ")));

    for (int i = 0; i < 10; ++i)
        QTest::keyClick(&s.view, Qt::Key_Right);
    const auto [t1, way1] = readout(s.status);
    const double pixel = 10.0 / s.view.currentLayout().plot.width;
    QVERIFY2(qAbs(t1 - t0 - 10 * pixel) < 2 * pixel, qPrintable(s.status.text()));
    QVERIFY(qAbs(way1 - 3.0 * t1) < 1e-9);
    QTest::keyClick(&s.view, Qt::Key_Home);
    QCOMPARE(readout(s.status).first, 0.0);

    // Zoomed by the keys, the values are read again where the trace is.
    QTest::keyClick(&s.view, Qt::Key_End);
    QTest::keyClick(&s.window, Qt::Key_Minus, Qt::ControlModifier);
    const auto [t2, way2] = readout(s.status);
    QCOMPARE(t2, 10.0);
    QCOMPARE(way2, 30.0);
    // Beyond the visible range the view follows the trace.
    QTest::keyClick(&s.window, Qt::Key_Plus, Qt::ControlModifier);
    QTest::keyClick(&s.window, Qt::Key_Plus, Qt::ControlModifier);
    const double end = ranges(s.view).x.max;
    QTest::keyClick(&s.view, Qt::Key_End);
    QTest::keyClick(&s.view, Qt::Key_Right, Qt::ControlModifier);
    QVERIFY(ranges(s.view).x.max > end);
    const auto [t3, way3] = readout(s.status);
    QVERIFY(qAbs(way3 - 3.0 * t3) < 1e-9);
    QVERIFY(qAbs(t3 - ranges(s.view).x.max) < 2 * pixel);
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
        if (dark)
            QApplication::setPalette(DarkPalette());
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
