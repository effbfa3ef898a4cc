// SPDX-License-Identifier: GPL-3.0-or-later
// Windows fitted to the screens: a stored place from another screen or scale never hides a window
// or its title bar.
#include "gui/platform/screen_fitting.h"

#include <QScreen>
#include <QTest>
#include <QWidget>

namespace quorvel {

class ScreenFittingTest : public QObject
{
    Q_OBJECT

private slots:
    void fitRectToScreen_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QRect>("fitted");
        QTest::newRow("fits") << QRect(10, 20, 300, 200) << QRect(10, 20, 300, 200);
        // 10 pixels taller: the height stays, the bottom edge meets the screen's, the top is
        // then above the screen.
        QTest::newRow("10 taller") << QRect(10, 50, 300, 610) << QRect(10, -10, 300, 610);
        // 30 pixels taller: 20 pixels shorter than the screen, then moved up to fit.
        QTest::newRow("30 taller") << QRect(10, 50, 300, 630) << QRect(10, 20, 300, 580);
        QTest::newRow("10 wider") << QRect(40, 0, 810, 100) << QRect(-10, 0, 810, 100);
        QTest::newRow("30 wider") << QRect(40, 0, 830, 100) << QRect(20, 0, 780, 100);
        QTest::newRow("below and right") << QRect(700, 550, 200, 100) << QRect(600, 500, 200, 100);
        QTest::newRow("negative stays") << QRect(-50, -40, 200, 100) << QRect(-50, -40, 200, 100);
    }

    void fitRectToScreen()
    {
        QFETCH(QRect, frame);
        QFETCH(QRect, fitted);
        QCOMPARE(FitRectToScreen(frame, QRect(0, 0, 800, 600)), fitted);
    }

    void fitRectToAnAreaBesideATaskbar()
    {
        // Available area below a 40-pixel panel at the top.
        const QRect area(0, 40, 800, 560);
        QCOMPARE(FitRectToScreen(QRect(0, 500, 100, 200), area), QRect(0, 400, 100, 200));
        // Shortened, but a top above the area is left where it is.
        QCOMPARE(FitRectToScreen(QRect(0, 0, 100, 600), area), QRect(0, 0, 100, 540));
    }

    // Screens left of or above the main one have negative places; a window there stays. Only a
    // title bar that no screen shows is pulled onto the nearest screen.
    void pullTitleBarOntoScreens_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QList<QRect>>("areas");
        QTest::addColumn<QRect>("pulled");
        const QRect main(0, 0, 1280, 1024);
        const QRect left(-1280, 0, 1280, 1024);
        QTest::newRow("negative place on the screen left of the main one")
            << QRect(-900, 100, 185, 247) << QList<QRect>{main, left} << QRect(-900, 100, 185, 247);
        QTest::newRow("the same place with no screen there")
            << QRect(-900, 100, 185, 247) << QList<QRect>{main} << QRect(0, 100, 185, 247);
        QTest::newRow("18 pixels of the title bar on the screen")
            << QRect(-167, 100, 185, 247) << QList<QRect>{main} << QRect(0, 100, 185, 247);
        QTest::newRow("title bar above the screen")
            << QRect(100, -300, 525, 437) << QList<QRect>{main} << QRect(100, 0, 525, 437);
        QTest::newRow("title bar half above the screen stays")
            << QRect(100, -10, 525, 437) << QList<QRect>{main} << QRect(100, -10, 525, 437);
        QTest::newRow("right of the screen")
            << QRect(1270, 100, 300, 200) << QList<QRect>{main} << QRect(980, 100, 300, 200);
        // A shorter screen on the left: the place above it shows on no screen.
        QTest::newRow("above a shorter screen beside the main one")
            << QRect(-900, 50, 185, 247) << QList<QRect>{main, QRect(-1280, 200, 1280, 824)}
            << QRect(-900, 200, 185, 247);
        QTest::newRow("larger than the screen")
            << QRect(-2000, -500, 3000, 1400) << QList<QRect>{main} << QRect(0, 0, 3000, 1400);
    }

    void pullTitleBarOntoScreens()
    {
        QFETCH(QRect, frame);
        QFETCH(QList<QRect>, areas);
        QFETCH(QRect, pulled);
        QCOMPARE(PullTitleBarOntoScreens(frame, areas), pulled);
    }

    // A window not yet shown has no frame; fitted, the frame it will get fits the area (with
    // the frame left out, a place stored at 1x and read at 2x ended with its status line below
    // the screen).
    void fitFormToScreenUsesTheAvailableArea()
    {
        QWidget window;
        const QRect area = window.screen()->availableGeometry();
        window.setGeometry(area.x() + 5, area.y() + 5, area.width() + 10, area.height() + 30);
        FitFormToScreen(&window);
        const QSize framed = window.size().grownBy(kAssumedFrame);
        QCOMPARE(QRect(window.pos(), framed),
                 QRect(area.x() + area.width() - framed.width(), area.y() + 5,
                       area.width() + 10 + kAssumedFrame.left() + kAssumedFrame.right(),
                       area.height() - 20));

        // A window that cannot be as narrow as the area wants keeps its minimum width, and its
        // right edge comes back onto the area.
        QWidget wide;
        wide.setMinimumWidth(area.width() - 12);
        wide.setGeometry(area.x() + 300, area.y() + 5, area.width() + 40, 200);
        FitFormToScreen(&wide);
        QCOMPARE(wide.width(), area.width() - 12);
        QCOMPARE(wide.x() + wide.width() + kAssumedFrame.left() + kAssumedFrame.right(),
                 area.x() + area.width());
    }
};

} // namespace quorvel

QTEST_MAIN(quorvel::ScreenFittingTest)
#include "screen_fitting_test.moc"
