// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures of the windows as a user sees them (offscreen, without the window manager's frame):
// the main window with evaluated lines (one an error), the popup menu open on its "Variablen"
// list, the unit definitions window, and the pages and help under a dark colour scheme. Written as
// PNG files into the folder named by QUORVEL_PICTURE_DIR (default: this test's build folder) for a
// person to look at; the test itself checks only that the marks are where they belong.
#include "tests/gui/dark_palette.h"
#include "tests/gui/worksheet/gui_test_support.h"

#include "gui/platform/message_boxes.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QTest>
#include <QTextEdit>

#include <utility>

using namespace quorvel;
using namespace quorvel::test;

namespace {

void typeSheet(MainWindow& form, QTextEdit& memo, const QStringList& lines)
{
    setPageLines(memo, lines);
    setCaret(memo, 0, 0);
    for (qsizetype i = 0; i < lines.size(); ++i)
        form.MemoKeyPress(QChar(13));
}

int countPixels(const QImage& image, QRgb rgb)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == rgb ? 1 : 0;
    return n;
}

} // namespace

class WindowPicturesTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { InstallGermanTranslations(*QCoreApplication::instance()); }
    void pictures();
    void pagesArePaperUnderADarkScheme();
};

void WindowPicturesTest::pictures()
{
    Windows w;
    w.mainWindow.move(0, 0);
    QTextEdit& memo = *w.memo1();
    typeSheet(w.mainWindow, memo,
              {"Masse: ma = 1500kg", "Geschwindigkeit: v = 100km/(3600s) = 0m/s",
               "Energie: E = ma*v\u00B2/2 = 0J", "Leistung: P = E/(8s) = 0kW", "Fehler: 3m+2s",
               "Zylinder aus Stahl", "radius = 0.2m", "hoehe = 1.5m",
               "Volumen: V = Pi*radius\u00B2*hoehe = 0l", "y*2"});
    setCaret(memo, 10, 0);
    QCOMPARE(markedLine(memo, 4), QStringLiteral("Fehler: 3m[+]2s = unit confilct"));
    QCOMPARE(markedLine(memo, 9), QStringLiteral("[y]*2 = Variable not found"));

    const QImage main = w.mainWindow.grab().toImage();
    QVERIFY(main.save(pictureDir() + "/main-window.png"));
    QVERIFY(countPixels(main, qRgb(255, 0, 0)) > 20); // the red marks are drawn

    // The popup menu opened over the page, its "Variablen" list unfolded.
    const QPoint at = memo.viewport()->mapTo(&w.mainWindow, QPoint(150, 60));
    QMenu& pm = *w.mainWindow.popupMenu();
    pm.popup(w.mainWindow.mapToGlobal(at));
    QAction* vars = findAction(pm, "Variablen");
    pm.setActiveAction(vars);
    QMenu& varsMenu = *vars->menu();
    const QRect item = pm.actionGeometry(vars);
    varsMenu.popup(pm.mapToGlobal(item.topRight()));
    QTest::qWait(20);
    QImage popup = main.copy();
    {
        QPainter painter(&popup);
        painter.drawPixmap(at, pm.grab());
        painter.drawPixmap(at + item.topRight(), varsMenu.grab());
    }
    QVERIFY(popup.save(pictureDir() + "/popup-menu.png"));
    varsMenu.hide();
    pm.hide();

    w.unitDefinitions.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.unitDefinitions));
    QVERIFY(w.unitDefinitions.grab().toImage().save(pictureDir() + "/unit-definitions.png"));
    w.unitDefinitions.hide();
}

void WindowPicturesTest::pagesArePaperUnderADarkScheme()
{
    const QPalette before = QApplication::palette();
    // Yellow text, so that a page drawing in the theme's text colour is seen at once.
    QPalette dark = DarkPalette();
    dark.setColor(QPalette::Text, QColor(0xf0, 0xe0, 0x40));
    QApplication::setPalette(dark);
    {
        Windows w;
        w.mainWindow.move(0, 0);
        // Typed text has no colour of its own: it is drawn in the page's text colour.
        QTextEdit& memo = *w.memo1();
        QTest::keyClicks(&memo, "kraft = 20N*3");
        w.help.ShowHelp(QStringLiteral("fehlt.hlp"));
        QVERIFY(QTest::qWaitForWindowExposed(&w.help));

        const QImage main = w.mainWindow.grab().toImage();
        QVERIFY(main.save(pictureDir() + "/main-window-dark.png"));
        const QImage help = w.help.grab().toImage();
        QVERIFY(help.save(pictureDir() + "/help-window-dark.png"));
        for (QTextEdit* edit : {w.memo1(), w.memo2(), w.help.RichEdit1}) {
            const QImage page = edit->viewport()->grab().toImage();
            QCOMPARE(QColor(page.pixel(page.width() - 2, page.height() - 2)), QColor(Qt::white));
            // Text is drawn smoothed: its cores are black, and no pixel has the scheme's yellow.
            if (edit != w.memo2())
                QVERIFY2(countPixels(page, qRgb(0, 0, 0)) > 5, qPrintable(edit->objectName()));
            QCOMPARE(countPixels(page, dark.color(QPalette::Text).rgb()), 0);
        }
        // Around the pages the scheme holds.
        QCOMPARE(main.pixel(main.width() - 2, 2), dark.color(QPalette::Window).rgb());
    }
    QApplication::setPalette(before);
}

QTEST_MAIN(WindowPicturesTest)
#include "window_pictures_test.moc"
