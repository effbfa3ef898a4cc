// SPDX-License-Identifier: GPL-3.0-or-later
// Grabs the keypad window to a PNG file in the working folder, to be looked at: "keypad.png" at
// the screen's own scale, "keypad@<n>x.png" where the screen has a device pixel ratio n above 1
// (run it with QT_SCALE_FACTOR=4 for a sharp enlargement). Checks a few pixels on the way.
#include "gui/keypad/keypad_window.h"
#include "tests/gui/dark_palette.h"

#include "gui/keypad/hemisphere_button.h"
#include "gui/keypad/real_edit.h"
#include "tests/gui/keypad/fake_worksheet.h"

#include <QApplication>
#include <QDir>
#include <QtTest>

#include <algorithm>
#include <cmath>

using namespace quorvel;

namespace {

// Relative luminance and contrast ratio as the WCAG define them.
double luminance(QRgb rgb)
{
    auto channel = [](int c) {
        const double v = c / 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) +
           0.0722 * channel(qBlue(rgb));
}

double contrast(double a, double b)
{
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// The contrast of a key's caption with the face it stands on, in the key as it is drawn up. The
// caption's pixels are where the key differs from the same key without a caption; its colour is
// the most strongly inked of them. The face is shaded from light at the upper left to dark at
// the lower right, so "the face" is its colour at the middle of the caption.
double captionContrast(const THemisphereButton& key)
{
    HemisphereLook bare = key.look();
    bare.Caption.clear();
    const QImage face = RebuildImages(bare, key.size(), key.devicePixelRatioF())->ImageOut;
    const QImage& drawn = key.ImageOut();
    QPointF middle;
    int count = 0;
    double ink = 0;
    double strongest = -1;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            const QRgb with = drawn.pixel(x, y);
            const QRgb without = face.pixel(x, y);
            if (with == without)
                continue;
            middle += QPointF(x, y);
            ++count;
            const double inked = std::abs(luminance(with) - luminance(without));
            if (inked > strongest) {
                strongest = inked;
                ink = luminance(with);
            }
        }
    }
    return count == 0 ? 0 : contrast(ink, luminance(face.pixel((middle / count).toPoint())));
}

} // namespace

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

    // The faces keep their colours under a dark theme, and so must the captions: light text on
    // the light faces would hardly show. Saves "keypad-dark.png" beside "keypad.png".
    void captionsStayReadableUnderADarkTheme()
    {
        const QPalette before = QApplication::palette();
        QApplication::setPalette(test::DarkPalette());
        FakeWorksheet sheet;
        KeypadWindow form(sheet);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QList<THemisphereButton*> keys = form.findChildren<THemisphereButton*>();
        QCOMPARE(keys.size(), 26);
        for (const THemisphereButton* key : keys) {
            const double ratio = captionContrast(*key);
            QVERIFY2(ratio >= 4.5,
                     qPrintable(
                         QStringLiteral("\"%1\": %2:1").arg(key->Caption()).arg(ratio, 0, 'f', 2)));
        }
        QVERIFY(form.grab().toImage().save(QDir::current().filePath("keypad-dark.png")));
        QApplication::setPalette(before);
    }
};

QTEST_MAIN(KeypadPictureTest)
#include "keypad_picture_test.moc"
