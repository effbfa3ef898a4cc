// SPDX-License-Identifier: GPL-3.0-or-later
// Grabs the keypad window to a PNG file in the working folder, to be looked at: "keypad.png" at
// the screen's own scale, "keypad@<n>x.png" where the screen has a device pixel ratio n above 1
// (run it with QT_SCALE_FACTOR=4 for a sharp enlargement). Checks a few pixels on the way.
#include "keypad/keypad_window.h"

#include "fake_worksheet.h"
#include "keypad/hemisphere_button.h"
#include "keypad/real_edit.h"

#include <QDir>
#include <QtTest>

using namespace quorvel;

class KeypadPictureTest : public QObject
{
    Q_OBJECT

private slots:
    void grabTheKeypad()
    {
        FakeWorksheet sheet;
        KeypadWindow form(sheet);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // The widest value the decimal-places field is meant for, to be read in full.
        form.findChild<TRealSpinEdit*>(QStringLiteral("Komma"))->setWert(-99);
        const qreal ratio = form.devicePixelRatioF();
        const QImage picture = form.grab().toImage();
        QCOMPARE(picture.size(), QSize(185, 247) * ratio);

        // Keys are computed at device pixels: sharp at any ratio.
        const auto* one = form.findChild<THemisphereButton*>(QStringLiteral("hemi"));
        QCOMPARE(one->ImageOut().size(), QSize(31, 31) * ratio);

        // The "1" key: orange face, lit at its upper left, darker at its lower right; outside
        // its round outline the panel shows.
        auto at = [&](int x, int y) { return picture.pixelColor(QPoint(x, y) * ratio); };
        const QColor lit = at(8 + 9, 76 + 9);
        const QColor shade = at(8 + 22, 76 + 22);
        QVERIFY2(lit.red() == 255 && lit.green() > 150 && lit.blue() < 60, qPrintable(lit.name()));
        QVERIFY2(shade.red() < lit.red() || shade.green() < lit.green(), qPrintable(shade.name()));
        const QColor panel = at(107, 100); // between the keys
        QCOMPARE(at(8, 76), panel);
        // The "+" key is blue, the "C" key brown.
        const QColor plus = at(112 + 10, 140 + 10);
        QVERIFY2(plus.blue() > plus.red(), qPrintable(plus.name()));
        const QColor clear = at(148 + 10, 40 + 10);
        QVERIFY2(clear.red() > clear.blue() && clear.green() < clear.red(),
                 qPrintable(clear.name()));

        const QString name =
            ratio > 1 ? QStringLiteral("keypad@%1x.png").arg(ratio) : QStringLiteral("keypad.png");
        QVERIFY(picture.save(QDir::current().filePath(name)));
        qInfo("keypad picture: %s", qPrintable(QDir::current().filePath(name)));
    }
};

QTEST_MAIN(KeypadPictureTest)
#include "keypad_picture_test.moc"
