// SPDX-License-Identifier: GPL-3.0-or-later
// Pixels of the round keys' images, above all for the keypad's settings: 31 × 31, a lowered
// outer ring of width 2, attenuation 1.
#include "gui/keypad/hemisphere_images.h"

#include <QtTest>

using namespace quorvel;

namespace {

HemisphereLook keypadLook(QColor face = QColor(128, 128, 128))
{
    HemisphereLook look;
    look.BevelOuter = THemisphereBevel::hbLowered;
    look.BevelInner = THemisphereBevel::hbNone;
    look.BevelWidth = 2;
    look.AttenControl = 1.0;
    look.FaceColor = face;
    return look;
}

HemisphereImages build(const HemisphereLook& look, QSize size = QSize(31, 31), qreal dpr = 1)
{
    auto images = RebuildImages(look, size, dpr);
    if (!images)
        qFatal("no images");
    return *images;
}

int grey(const QImage& img, int x, int y)
{
    const QRgb c = img.pixel(x, y);
    return (qRed(c) + qGreen(c) + qBlue(c)) / 3;
}

bool isBlack(const QImage& mask, int x, int y)
{
    return (mask.pixel(x, y) & 0xffffffu) == 0;
}

// Ring pixels: on the button (mask black) but outside the face ellipse, taken in the quadrant
// towards (sx, sy); returns their mean grey level.
double ringMean(const HemisphereImages& images, int sx, int sy)
{
    const QImage& img = images.ImageOut;
    const double c = img.width() / 2.0;
    double sum = 0;
    int n = 0;
    for (int y = 0; y < img.height(); ++y) {
        for (int x = 0; x < img.width(); ++x) {
            const double dx = x + 0.5 - c;
            const double dy = y + 0.5 - c;
            const double r = std::sqrt(dx * dx + dy * dy) / c;
            if (!isBlack(images.ImageMask, x, y) || r < 0.9)
                continue;
            if (dx * sx < c / 3 || dy * sy < c / 3) // well inside the diagonal quadrant
                continue;
            sum += grey(img, x, y);
            ++n;
        }
    }
    return n > 0 ? sum / n : -1;
}

} // namespace

class HemisphereImagesTest : public QObject
{
    Q_OBJECT

private slots:
    void centreOfTheFaceIsLitUpAndShadowedDown()
    {
        const HemisphereImages images = build(keypadLook());
        QCOMPARE(images.ImageOut.size(), QSize(31, 31));
        for (const QPoint p : {QPoint(15, 15), QPoint(16, 15), QPoint(15, 16), QPoint(16, 16)}) {
            QCOMPARE(images.ImageOut.pixel(p), qRgb(202, 202, 202));
            QCOMPARE(images.ImageIn.pixel(p), qRgb(54, 54, 54));
        }
    }

    void upFaceIsBrightAtTheUpperLeftAndTheDownFaceTheReverse()
    {
        const HemisphereImages images = build(keypadLook());
        QVERIFY(grey(images.ImageOut, 9, 9) > grey(images.ImageOut, 21, 21));
        QVERIFY(grey(images.ImageIn, 9, 9) < grey(images.ImageIn, 21, 21));
        QVERIFY(grey(images.ImageOut, 9, 9) > 128);
        QVERIFY(grey(images.ImageIn, 9, 9) < 128);
    }

    void ringIsDarkAtTheUpperLeftAndBrightAtTheLowerRightInBothImages()
    {
        const HemisphereImages images = build(keypadLook());
        // A pixel on each diagonal, between the face ellipse and the button's outline.
        QVERIFY(isBlack(images.ImageMask, 5, 5));
        QVERIFY(grey(images.ImageOut, 5, 5) < 128);
        QVERIFY(grey(images.ImageOut, 25, 25) > 200);
        QCOMPARE(images.ImageIn.pixel(5, 5), images.ImageOut.pixel(5, 5));
        QCOMPARE(images.ImageIn.pixel(25, 25), images.ImageOut.pixel(25, 25));
        // And over the whole quadrants.
        QVERIFY(ringMean(images, -1, -1) < 128);
        QVERIFY(ringMean(images, 1, 1) > 200);
    }

    void ringImagesAreTheSameUpAndDownOnlyTheFaceInverts()
    {
        const HemisphereImages images = build(keypadLook(QColor(255, 128, 0)));
        int differing = 0;
        for (int y = 0; y < 31; ++y) {
            for (int x = 0; x < 31; ++x) {
                const double dx = x + 0.5 - 15.5;
                const double dy = y + 0.5 - 15.5;
                const bool onFace = dx * dx / (13.5 * 13.5) + dy * dy / (13.5 * 13.5) <= 1.0;
                if (!onFace && isBlack(images.ImageMask, x, y))
                    QCOMPARE(images.ImageIn.pixel(x, y), images.ImageOut.pixel(x, y));
                if (onFace && images.ImageIn.pixel(x, y) != images.ImageOut.pixel(x, y))
                    ++differing;
            }
        }
        QVERIFY(differing > 400);
    }

    void raisedRingIsTheReverseOfALoweredOne()
    {
        HemisphereLook look = keypadLook();
        look.BevelOuter = THemisphereBevel::hbRaised;
        const HemisphereImages images = build(look);
        QVERIFY(ringMean(images, -1, -1) > 200);
        QVERIFY(ringMean(images, 1, 1) < 128);
    }

    void ringLevelsFollowTheLightVector()
    {
        // Straight left of the centre a lowered ring's normal is (1, 0, 1) / sqrt(2):
        // 128 + round(128 * (-1 + 1) / sqrt(6)) = 128. Straight right: (-1, 0, 1) / sqrt(2),
        // 128 + round(128 * 2 / sqrt(6)) = 233.
        const QImage ring = BevelRingImage(QSize(31, 31), 1, false, 2);
        QCOMPARE(ring.pixel(1, 15), qRgb(128, 128, 128));
        QCOMPARE(ring.pixel(29, 15), qRgb(233, 233, 233));
        // Raised, the right side faces away from the light: 128 + round(128 * 0) = 128 on the
        // right, 233 on the left.
        const QImage raised = BevelRingImage(QSize(31, 31), 1, true, 2);
        QCOMPARE(raised.pixel(29, 15), qRgb(128, 128, 128));
        QCOMPARE(raised.pixel(1, 15), qRgb(233, 233, 233));
        // The walk stays near its ellipse: the centre is untouched.
        QCOMPARE(ring.pixel(15, 15), qRgb(0, 0, 0));
    }

    void cornersOutsideTheEllipseAreNotPartOfTheMask()
    {
        const HemisphereImages images = build(keypadLook());
        for (const QPoint p : {QPoint(0, 0), QPoint(30, 0), QPoint(0, 30), QPoint(30, 30),
                               QPoint(2, 2), QPoint(28, 28)})
            QVERIFY2(!isBlack(images.ImageMask, p.x(), p.y()), qPrintable(QString::number(p.x())));
        for (const QPoint p : {QPoint(15, 15), QPoint(0, 15), QPoint(15, 0), QPoint(30, 15)})
            QVERIFY(isBlack(images.ImageMask, p.x(), p.y()));
    }

    void blackFaceStaysBlackWhateverTheShading()
    {
        const HemisphereImages images = build(keypadLook(QColor(0, 0, 0)));
        for (int y = 4; y < 27; ++y) {
            for (int x = 4; x < 27; ++x) {
                const double dx = x + 0.5 - 15.5;
                const double dy = y + 0.5 - 15.5;
                if (dx * dx + dy * dy > 12.0 * 12.0)
                    continue;
                QCOMPARE(images.ImageOut.pixel(x, y), qRgb(0, 0, 0));
                QCOMPARE(images.ImageIn.pixel(x, y), qRgb(0, 0, 0));
            }
        }
    }

    void channelsAreShadedSeparately()
    {
        // Orange at the centre: t = 0.57735; 255 + round(147.2) clips, 128 -> 202, 0 stays 0.
        const HemisphereImages images = build(keypadLook(QColor(255, 128, 0)));
        QCOMPARE(images.ImageOut.pixel(15, 15), qRgb(255, 202, 0));
        QCOMPARE(images.ImageIn.pixel(15, 15), qRgb(108, 54, 0));
    }

    void attenuationScalesTheShading()
    {
        HemisphereLook look = keypadLook();
        look.AttenControl = 0.5; // t = 0.288675: 128 + round(36.95) = 165, 128 - 37 = 91
        const HemisphereImages images = build(look);
        QCOMPARE(images.ImageOut.pixel(15, 15), qRgb(165, 165, 165));
        QCOMPARE(images.ImageIn.pixel(15, 15), qRgb(91, 91, 91));
    }

    void unshadedFaceIsFlatInBothImages()
    {
        HemisphereLook look = keypadLook(QColor(10, 200, 30));
        look.FaceShaded = false;
        const HemisphereImages images = build(look);
        for (const QPoint p : {QPoint(15, 15), QPoint(8, 8), QPoint(22, 22)}) {
            QCOMPARE(images.ImageOut.pixel(p), qRgb(10, 200, 30));
            QCOMPARE(images.ImageIn.pixel(p), qRgb(10, 200, 30));
        }
    }

    void withoutRingsTheFaceFillsTheWholeEllipse()
    {
        HemisphereLook look = keypadLook();
        look.BevelOuter = THemisphereBevel::hbNone;
        const HemisphereImages images = build(look);
        // Straight left of the centre, at the outline: face colour, lit from the left.
        QVERIFY(grey(images.ImageOut, 0, 15) > 128);
        QVERIFY(grey(images.ImageIn, 0, 15) < 128);
    }

    void innerRingLiesInsideTheOuterOne()
    {
        HemisphereLook look = keypadLook();
        look.BevelInner = THemisphereBevel::hbRaised;
        const HemisphereImages images = build(look);
        // Left of the centre: outer ring (columns 0-1), inner ring (2-3), face from column 4.
        // The outer, lowered, ring faces right there and is lit straight from the front (128);
        // the raised inner ring faces left, towards the light.
        QCOMPARE(images.ImageOut.pixel(0, 15), qRgb(128, 128, 128));
        QVERIFY(grey(images.ImageOut, 3, 15) > 200);
        QCOMPARE(images.ImageIn.pixel(3, 15), images.ImageOut.pixel(3, 15));
        QVERIFY(images.ImageIn.pixel(6, 15) != images.ImageOut.pixel(6, 15));
    }

    void captionSitsInTheSamePlaceUpAndDown()
    {
        HemisphereLook plain = keypadLook(QColor(255, 128, 0));
        HemisphereLook captioned = plain;
        captioned.Caption = QStringLiteral("8");
        captioned.Font.setPixelSize(13);
        captioned.Font.setBold(true);
        const HemisphereImages a = build(plain);
        const HemisphereImages b = build(captioned);
        QRect up;
        QRect down;
        for (int y = 0; y < 31; ++y) {
            for (int x = 0; x < 31; ++x) {
                if (a.ImageOut.pixel(x, y) != b.ImageOut.pixel(x, y))
                    up |= QRect(x, y, 1, 1);
                if (a.ImageIn.pixel(x, y) != b.ImageIn.pixel(x, y))
                    down |= QRect(x, y, 1, 1);
            }
        }
        QVERIFY(!up.isEmpty());
        QCOMPARE(down, up);
        QVERIFY(QRect(6, 6, 19, 19).contains(up)); // centred on the face
        QCOMPARE(b.ImageMask, a.ImageMask);        // an opaque face needs no mask change
    }

    void transparentFaceLetsTheBackgroundThroughButNotTheCaption()
    {
        HemisphereLook look = keypadLook();
        look.FaceTransparent = true;
        look.Caption = QStringLiteral("M");
        look.Font.setPixelSize(13);
        const HemisphereImages images = build(look);
        QVERIFY(isBlack(images.ImageMask, 5, 5)); // the ring stays
        int black = 0;
        int white = 0;
        for (int y = 6; y < 25; ++y)
            for (int x = 6; x < 25; ++x)
                (isBlack(images.ImageMask, x, y) ? black : white)++;
        QVERIFY(white > 150); // the face
        QVERIFY(black > 5);   // the caption
    }

    void singleBorderIsDrawnAroundTheFace()
    {
        HemisphereLook look = keypadLook();
        look.BorderStyle = THemisphereBorder::bsSingle;
        look.BorderColor = QColor(255, 0, 0);
        const HemisphereImages images = build(look);
        // The ellipse inset by one ring width: its leftmost and topmost pixels.
        QCOMPARE(images.ImageOut.pixel(2, 15), qRgb(255, 0, 0));
        QCOMPARE(images.ImageIn.pixel(15, 2), qRgb(255, 0, 0));
        QVERIFY(images.ImageOut.pixel(15, 15) != qRgb(255, 0, 0));
    }

    void flatGlyphIsCentredAndItsCornerColourIsTransparent()
    {
        QImage glyph(5, 5, QImage::Format_RGB32);
        glyph.fill(qRgb(0, 255, 0)); // bottom-left colour: transparent
        glyph.setPixel(2, 2, qRgb(0, 0, 255));
        HemisphereLook look = keypadLook();
        look.Glyph = glyph;
        look.GlyphShaded = false;
        const HemisphereImages images = build(look);
        // gx = floor(2.5 + x - 15.5): pixel 15 shows glyph column 2.
        QCOMPARE(images.ImageOut.pixel(15, 15), qRgb(0, 0, 255));
        QCOMPARE(images.ImageIn.pixel(15, 15), qRgb(0, 0, 255));
        QCOMPARE(images.ImageOut.pixel(14, 15), qRgb(202, 202, 202)); // face around it
        look.GlyphTransparent = false;
        QCOMPARE(build(look).ImageOut.pixel(14, 15), qRgb(0, 255, 0));
    }

    void glyphIndexPicksOnePictureOfSeveral()
    {
        QImage glyph(6, 3, QImage::Format_RGB32); // two pictures of 3 × 3
        glyph.fill(qRgb(0, 0, 0));
        for (int y = 0; y < 3; ++y) {
            glyph.setPixel(1, y, qRgb(255, 0, 0));
            glyph.setPixel(4, y, qRgb(0, 0, 255));
        }
        HemisphereLook look = keypadLook();
        look.Glyph = glyph;
        look.NumGlyphs = 2;
        look.GlyphShaded = false;
        look.GlyphIndex = 1;
        QCOMPARE(build(look).ImageOut.pixel(15, 15), qRgb(255, 0, 0));
        look.GlyphIndex = 2;
        QCOMPARE(build(look).ImageOut.pixel(15, 15), qRgb(0, 0, 255));
    }

    void mappedGlyphCoversTheWholeFace()
    {
        QImage glyph(8, 8, QImage::Format_RGB32);
        glyph.fill(qRgb(0, 0, 255));
        glyph.setPixel(0, 7, qRgb(1, 1, 1)); // only this corner colour is transparent
        HemisphereLook look = keypadLook();
        look.Glyph = glyph;
        look.GlyphMapped = true;
        look.GlyphShaded = false;
        const HemisphereImages images = build(look);
        for (const QPoint p : {QPoint(15, 15), QPoint(6, 15), QPoint(24, 15), QPoint(15, 6)})
            QCOMPARE(images.ImageOut.pixel(p), qRgb(0, 0, 255));
    }

    void highDensityImagesHoldDevicePixelsWithTheSameLook()
    {
        const HemisphereImages images = build(keypadLook(), QSize(31, 31), 2.0);
        QCOMPARE(images.ImageOut.size(), QSize(62, 62));
        QCOMPARE(images.ImageOut.devicePixelRatio(), 2.0);
        QCOMPARE(images.ImageMask.devicePixelRatio(), 2.0);
        QCOMPARE(images.ImageOut.pixel(31, 31), qRgb(202, 202, 202));
        QCOMPARE(images.ImageIn.pixel(31, 31), qRgb(54, 54, 54));
        QVERIFY(!isBlack(images.ImageMask, 0, 0));
        QVERIFY(ringMean(images, -1, -1) < 128);
        QVERIFY(ringMean(images, 1, 1) > 200);
    }

    void tooSmallGivesNoImages()
    {
        QVERIFY(!RebuildImages(keypadLook(), QSize(1, 31)));
        QVERIFY(!RebuildImages(keypadLook(), QSize(31, 1)));
        QVERIFY(RebuildImages(keypadLook(), QSize(2, 2)));
    }
};

QTEST_MAIN(HemisphereImagesTest)
#include "hemisphere_images_test.moc"
