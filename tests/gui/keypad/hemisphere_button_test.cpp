// SPDX-License-Identifier: GPL-3.0-or-later
// THemisphereButton as a widget: defaults, when the images are rebuilt, painting, and the mouse
// rules of push buttons and toggle groups.
#include "gui/keypad/hemisphere_button.h"

#include <QSignalSpy>
#include <QtTest>

using namespace quorvel;

namespace {

// A keypad-sized key on a panel of a known colour.
struct Bench
{
    QWidget panel;
    THemisphereButton* key;

    explicit Bench(int count = 1)
    {
        panel.setAutoFillBackground(true);
        QPalette pal = panel.palette();
        pal.setColor(QPalette::Window, QColor(10, 20, 30));
        panel.setPalette(pal);
        panel.resize(40 * count, 40);
        for (int i = 0; i < count; ++i) {
            auto* b = new THemisphereButton(&panel);
            b->setObjectName(QStringLiteral("key%1").arg(i));
            b->setGeometry(40 * i, 0, 31, 31);
        }
        key = panel.findChild<THemisphereButton*>(QStringLiteral("key0"));
        panel.show();
        if (!QTest::qWaitForWindowExposed(&panel))
            qFatal("panel not exposed");
    }

    THemisphereButton* at(int i) const
    {
        return panel.findChild<THemisphereButton*>(QStringLiteral("key%1").arg(i));
    }
};

const QPoint kCentre(15, 15);
const QPoint kCorner(1, 1);
const QPoint kOffFace(60, 35); // outside the key, on the panel

void press(THemisphereButton* b, QPoint p, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mousePress(b, button, Qt::NoModifier, p);
}

void release(THemisphereButton* b, QPoint p, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseRelease(b, button, Qt::NoModifier, p);
}

void move(THemisphereButton* b, QPoint p)
{
    QMouseEvent e(QEvent::MouseMove, p, b->mapToGlobal(p), Qt::NoButton, Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(b, &e);
}

void click(THemisphereButton* b, QPoint p = kCentre)
{
    press(b, p);
    release(b, p);
}

} // namespace

class HemisphereButtonTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qRegisterMetaType<QMouseEvent*>(); }

    void defaults()
    {
        THemisphereButton b;
        QCOMPARE(b.size(), QSize(25, 25));
        QCOMPARE(b.focusPolicy(), Qt::NoFocus);
        QCOMPARE(b.AllowAllUp(), false);
        QCOMPARE(b.AttenControl(), 1.0);
        QCOMPARE(b.BevelInner(), THemisphereBevel::hbNone);
        QCOMPARE(b.BevelOuter(), THemisphereBevel::hbLowered);
        QCOMPARE(b.BevelWidth(), 2);
        QCOMPARE(b.BorderColor(), QColor(128, 128, 128));
        QCOMPARE(b.BorderStyle(), THemisphereBorder::bsNone);
        QCOMPARE(b.Caption(), QString());
        QCOMPARE(b.Down(), false);
        QCOMPARE(b.FaceColor(), QColor(128, 128, 128));
        QCOMPARE(b.FaceShaded(), true);
        QCOMPARE(b.FaceTransparent(), false);
        QVERIFY(b.Glyph().isNull());
        QCOMPARE(b.GlyphIndex(), 1);
        QCOMPARE(b.GlyphMapped(), false);
        QCOMPARE(b.GlyphShaded(), true);
        QCOMPARE(b.GlyphTransparent(), true);
        QCOMPARE(b.GroupIndex(), 0);
        QCOMPARE(b.NumGlyphs(), 1);
    }

    void imagesAreComputedAtCreation()
    {
        THemisphereButton b;
        QCOMPARE(b.rebuildCount(), 1);
        QCOMPARE(b.ImageOut().size(), QSize(25, 25) * b.devicePixelRatioF());
        QVERIFY(!b.ImageIn().isNull());
        QVERIFY(!b.ImageMask().isNull());
    }

    void lookSettersRebuildOnlyWhenTheValueChanges()
    {
        THemisphereButton b;
        const int start = b.rebuildCount();
        b.setFaceColor(QColor(128, 128, 128));
        b.setBevelWidth(2);
        b.setCaption(QString());
        b.setAttenControl(1.0);
        QCOMPARE(b.rebuildCount(), start);
        b.setFaceColor(QColor(255, 128, 0));
        b.setCaption(QStringLiteral("7"));
        b.setBevelInner(THemisphereBevel::hbRaised);
        b.setBorderStyle(THemisphereBorder::bsSingle);
        b.setAttenControl(0.5);
        QCOMPARE(b.rebuildCount(), start + 5);
        b.setDown(true);
        b.setGroupIndex(3);
        QCOMPARE(b.rebuildCount(), start + 5);
        QFont f = b.font();
        f.setPixelSize(17);
        b.setFont(f);
        QCOMPARE(b.rebuildCount(), start + 6);
    }

    void invalidBevelWidthAndGlyphIndexAreRefused()
    {
        THemisphereButton b;
        b.setBevelWidth(0);
        b.setBevelWidth(-3);
        QCOMPARE(b.BevelWidth(), 2);
        b.setBevelWidth(4);
        QCOMPARE(b.BevelWidth(), 4);
        b.setGlyphIndex(2); // only one picture
        QCOMPARE(b.GlyphIndex(), 1);
        b.setGlyphIndex(0);
        QCOMPARE(b.GlyphIndex(), 1);
    }

    void assigningAGlyphCountsItsPictures()
    {
        THemisphereButton b;
        QImage strip(48, 16, QImage::Format_RGB32);
        strip.fill(Qt::red);
        b.setGlyph(strip);
        QCOMPARE(b.NumGlyphs(), 3);
        QCOMPARE(b.GlyphIndex(), 1);
        b.setGlyphIndex(3);
        QCOMPARE(b.GlyphIndex(), 3);
        b.setGlyph(QImage(50, 16, QImage::Format_RGB32));
        QCOMPARE(b.NumGlyphs(), 1);
        QCOMPARE(b.GlyphIndex(), 1);
        b.setGlyph(QImage());
        QVERIFY(b.Glyph().isNull());
    }

    void resizingRebuildsAndPaintingDoesNot()
    {
        Bench bench;
        THemisphereButton* b = bench.key;
        QCOMPARE(b->ImageOut().size(), QSize(31, 31) * b->devicePixelRatioF());
        const int count = b->rebuildCount();
        b->repaint();
        bench.panel.grab();
        b->setDown(true);
        b->setDown(false);
        QCOMPARE(b->rebuildCount(), count);
        b->move(5, 5); // same size
        QCOMPARE(b->rebuildCount(), count);
        b->resize(33, 31);
        QCOMPARE(b->rebuildCount(), count + 1);
        QCOMPARE(b->ImageMask().size(), QSize(33, 31) * b->devicePixelRatioF());
    }

    void paintingShowsTheImageInsideTheMaskAndTheBackgroundOutside()
    {
        Bench bench;
        THemisphereButton* b = bench.key;
        const QImage up = b->grab().toImage();
        const qreal r = b->devicePixelRatioF();
        const QPoint centre = QPoint(15, 15) * r;
        QCOMPARE(up.pixel(centre), b->ImageOut().pixel(centre));
        QCOMPARE(up.pixel(0, 0), qRgb(10, 20, 30));
        b->setDown(true);
        const QImage down = b->grab().toImage();
        QCOMPARE(down.pixel(centre), b->ImageIn().pixel(centre));
        QCOMPARE(down.pixel(0, 0), qRgb(10, 20, 30));
    }

    void pressInACornerDoesNothing()
    {
        Bench bench;
        THemisphereButton* b = bench.key;
        QVERIFY(!b->IsOnFace(kCorner));
        QSignalSpy downs(b, &THemisphereButton::mouseDown);
        QSignalSpy clicks(b, &THemisphereButton::clicked);
        press(b, kCorner);
        QCOMPARE(b->Down(), false);
        QCOMPARE(downs.count(), 0);
        release(b, kCorner);
        QCOMPARE(clicks.count(), 0);
        // Even a release on the face after a press in a corner is no click.
        press(b, kCorner);
        release(b, kCentre);
        QCOMPARE(clicks.count(), 0);
    }

    void faceStopsAtTheRings()
    {
        THemisphereButton b;
        b.resize(31, 31);
        QVERIFY(b.IsOnFace(QPointF(15.5, 15.5)));
        QVERIFY(b.IsOnFace(QPointF(2, 15.5)));    // (2 - 15.5) / 13.5 = -1
        QVERIFY(!b.IsOnFace(QPointF(1.9, 15.5))); // on the ring
        b.setBevelOuter(THemisphereBevel::hbNone);
        QVERIFY(b.IsOnFace(QPointF(1, 15.5)));
    }

    void pushButtonIsDownOnlyWhileHeldAndClicksWhileStillDown()
    {
        Bench bench;
        THemisphereButton* b = bench.key;
        bool downDuringClick = false;
        QObject::connect(b, &THemisphereButton::clicked, b, [&] { downDuringClick = b->Down(); });
        QSignalSpy clicks(b, &THemisphereButton::clicked);
        QSignalSpy ups(b, &THemisphereButton::mouseUp);
        press(b, kCentre);
        QCOMPARE(b->Down(), true);
        release(b, kCentre);
        QCOMPARE(b->Down(), false);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(ups.count(), 1);
        QVERIFY(downDuringClick);
    }

    void pressMoveOffAndReleaseShowsUpWithoutAClick()
    {
        Bench bench;
        THemisphereButton* b = bench.key;
        QSignalSpy clicks(b, &THemisphereButton::clicked);
        QSignalSpy moves(b, &THemisphereButton::mouseMove);
        press(b, kCentre);
        move(b, kOffFace);
        QCOMPARE(b->Down(), false);
        move(b, kCentre); // back over the face: down again
        QCOMPARE(b->Down(), true);
        move(b, kOffFace);
        release(b, kOffFace);
        QCOMPARE(b->Down(), false);
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(moves.count(), 3);
        // Without a move in between, the release alone brings the key up.
        press(b, kCentre);
        release(b, kOffFace);
        QCOMPARE(b->Down(), false);
        QCOMPARE(clicks.count(), 0);
    }

    void hoveringReportsMovesButPressesNothing()
    {
        Bench bench;
        THemisphereButton* b = bench.key;
        QVERIFY(b->hasMouseTracking());
        QSignalSpy moves(b, &THemisphereButton::mouseMove);
        QMouseEvent e(QEvent::MouseMove, QPointF(kCentre), b->mapToGlobal(QPointF(kCentre)),
                      Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(b, &e);
        QCOMPARE(moves.count(), 1);
        QCOMPARE(b->Down(), false);
    }

    void onlyTheLeftButtonPressesTheKey()
    {
        Bench bench;
        THemisphereButton* b = bench.key;
        QSignalSpy downs(b, &THemisphereButton::mouseDown);
        QSignalSpy clicks(b, &THemisphereButton::clicked);
        press(b, kCentre, Qt::RightButton);
        QCOMPARE(downs.count(), 1);
        QCOMPARE(b->Down(), false);
        release(b, kCentre, Qt::RightButton);
        QCOMPARE(clicks.count(), 0);
    }

    void disabledKeyIgnoresPresses()
    {
        Bench bench;
        THemisphereButton* b = bench.key;
        b->setEnabled(false);
        QSignalSpy clicks(b, &THemisphereButton::clicked);
        click(b);
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(b->Down(), false);
    }

    void doubleClickIsReported()
    {
        Bench bench;
        THemisphereButton* b = bench.key;
        QSignalSpy doubles(b, &THemisphereButton::doubleClicked);
        QSignalSpy clicks(b, &THemisphereButton::clicked);
        // Qt delivers the second press of a double click as a double-click event.
        click(b);
        QTest::mouseDClick(b, Qt::LeftButton, Qt::NoModifier, kCentre);
        QCOMPARE(doubles.count(), 1);
        QCOMPARE(b->Down(), true);
        release(b, kCentre);
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(b->Down(), false);
    }

    void groupWithoutAllowAllUpKeepsOneKeyDown()
    {
        Bench bench(3);
        for (int i = 0; i < 3; ++i)
            bench.at(i)->setGroupIndex(1);
        click(bench.at(0));
        QCOMPARE(bench.at(0)->Down(), true);
        click(bench.at(1));
        QCOMPARE(bench.at(0)->Down(), false);
        QCOMPARE(bench.at(1)->Down(), true);
        QCOMPARE(bench.at(2)->Down(), false);
        click(bench.at(1)); // clicking the key that is down leaves it down
        QCOMPARE(bench.at(1)->Down(), true);
        QCOMPARE(bench.at(0)->Down(), false);
    }

    void groupWithAllowAllUpLetsTheDownKeyComeUp()
    {
        Bench bench(3);
        for (int i = 0; i < 3; ++i)
            bench.at(i)->setGroupIndex(1);
        bench.at(2)->setAllowAllUp(true); // reaches every key of the group
        QVERIFY(bench.at(0)->AllowAllUp());
        QVERIFY(bench.at(1)->AllowAllUp());
        click(bench.at(0));
        QCOMPARE(bench.at(0)->Down(), true);
        click(bench.at(0));
        QCOMPARE(bench.at(0)->Down(), false);
        QCOMPARE(bench.at(1)->Down(), false);
        QCOMPARE(bench.at(2)->Down(), false);
    }

    void groupsAreSeparatedByTheirIndex()
    {
        Bench bench(3);
        bench.at(0)->setGroupIndex(1);
        bench.at(1)->setGroupIndex(2);
        bench.at(2)->setGroupIndex(1);
        bench.at(1)->setAllowAllUp(true);
        QVERIFY(!bench.at(0)->AllowAllUp());
        click(bench.at(0));
        click(bench.at(1));
        QCOMPARE(bench.at(0)->Down(), true);
        QCOMPARE(bench.at(1)->Down(), true);
        click(bench.at(2));
        QCOMPARE(bench.at(0)->Down(), false);
        QCOMPARE(bench.at(1)->Down(), true);
    }

    void settingDownDoesNotTouchTheGroup()
    {
        Bench bench(2);
        bench.at(0)->setGroupIndex(1);
        bench.at(1)->setGroupIndex(1);
        bench.at(0)->setDown(true);
        bench.at(1)->setDown(true);
        QCOMPARE(bench.at(0)->Down(), true);
    }

    void pressWhenDownDoesNotTrackMoves()
    {
        Bench bench(1);
        THemisphereButton* b = bench.key;
        b->setGroupIndex(1);
        click(b);
        QCOMPARE(b->Down(), true);
        press(b, kCentre);
        move(b, kOffFace);
        QCOMPARE(b->Down(), true); // a key that was down stays shown down
        release(b, kOffFace);
        QCOMPARE(b->Down(), true);
    }
};

QTEST_MAIN(HemisphereButtonTest)
#include "hemisphere_button_test.moc"
