// SPDX-License-Identifier: GPL-3.0-or-later
// The painter against the values: the curve's pixels where the diagram's numbers put them, no
// pixels across a gap, a thinned curve that looks as the whole one does, and the axis titles
// painted at their anchors, the y title upright.
#include "tests/gui/diagram/diagram_samples.h"

#include "engine/diagram/diagram_layout.h"
#include "engine/diagram/svg_writer.h"
#include "gui/diagram/picture_files.h"
#include "gui/diagram/png_writer.h"
#include "gui/page_layout/picture_objects.h"
#include "gui/rtf/picture_format.h"

#include <QAbstractTextDocumentLayout>
#include <QImage>
#include <QTest>
#include <QTextDocument>

using namespace quorvel;
using namespace quorvel::test;

namespace {

// How many pixels of the box around `at` (picture units, scaled) are near the colour.
int pixelsNear(const QImage& image, QPointF at, double scale, int radius, const QColor& colour)
{
    const QPoint centre = (at * scale).toPoint();
    int n = 0;
    for (int y = centre.y() - radius; y <= centre.y() + radius; ++y) {
        for (int x = centre.x() - radius; x <= centre.x() + radius; ++x) {
            if (!image.valid(x, y))
                continue;
            const QColor c = image.pixelColor(x, y);
            const int distance = std::abs(c.red() - colour.red()) +
                                 std::abs(c.green() - colour.green()) +
                                 std::abs(c.blue() - colour.blue());
            n += distance < 90 ? 1 : 0;
        }
    }
    return n;
}

int inkIn(const QImage& image, const QRectF& box)
{
    int n = 0;
    const QRect r = box.toAlignedRect() & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            n += qGray(image.pixel(x, y)) < 128 ? 1 : 0;
    return n;
}

const TextItem* textItem(const Picture& picture, const std::u16string& text)
{
    for (const PictureItem& item : picture.items) {
        if (const auto* t = std::get_if<TextItem>(&item); t && t->text == text)
            return t;
    }
    return nullptr;
}

} // namespace

class PicturePainterTest : public QObject
{
    Q_OBJECT

private slots:
    void theCurveLiesWhereItsValuesSay_data();
    void theCurveLiesWhereItsValuesSay();
    void thinnedCurvesLookAsTheWholeOnes();
    void axisTitlesArePaintedAtTheirAnchors();
    void thePagesPngKeepsEveryPixel();
    void aPlaceholderHasRoomForItsWords();
};

void PicturePainterTest::theCurveLiesWhereItsValuesSay_data()
{
    QTest::addColumn<double>("scale");
    QTest::newRow("one pixel per unit") << 1.0;
    QTest::newRow("as files and the clipboard") << kPicturePixelsPerUnit;
}

void PicturePainterTest::theCurveLiesWhereItsValuesSay()
{
    QFETCH(double, scale);
    // v*t with a gap from t = 4s to 6s, where the root of a negative number is taken (and zero
    // divided by zero at its ends).
    const DiagramData data = sampleDiagram(
        {u"v = 3m/s"}, {u"v*t*SQRT((t-4s)*(t-6s))/SQRT((t-4s)*(t-6s))"}, u"t", u"0s", u"10s", 11);
    const DiagramLayout l = LayoutDiagram(data, {400.0, 300.0, {}, {}});
    const QImage image = PictureImage(l.picture, scale);
    QCOMPARE(image.size(), QSize(400, 300) * scale);
    const Colour c = CurveColour(0);
    const QColor curve(c.r, c.g, c.b);
    const auto at = [&](double t) { return QPointF(XPosition(l, t), YPosition(l, 3.0 * t)); };

    for (const double t : {0.5, 2.0, 3.5, 3.9, 6.1, 6.5, 8.0, 9.5})
        QVERIFY2(pixelsNear(image, at(t), scale, 1, curve) > 0, qPrintable(QString::number(t)));
    // Off the curve, and across the gap, nothing of its colour.
    QCOMPARE(pixelsNear(image, at(2.0) + QPointF(0.0, -12.0), scale, 2, curve), 0);
    for (const double t : {4.5, 5.0, 5.5})
        QVERIFY2(pixelsNear(image, at(t), scale, 2, curve) == 0, qPrintable(QString::number(t)));
}

void PicturePainterTest::thinnedCurvesLookAsTheWholeOnes()
{
    // 200,000 points of a fast oscillation and a slow curve, some 250 to a column: the SVG with
    // every point and the thinned one, both shown by Qt's SVG renderer, which thins nothing.
    const DiagramData data =
        sampleDiagram({}, {u"SIN(x*30)*x/100", u"SQRT(x)"}, u"x", u"0", u"100", 200000);
    LayoutOptions whole;
    whole.columnsPerUnit = 0.0;
    const QByteArray allSvg =
        QByteArray::fromStdString(WriteSvg(LayoutDiagram(data, whole).picture));
    const QByteArray thinSvg = QByteArray::fromStdString(WriteSvg(LayoutDiagram(data).picture));
    QVERIFY2(thinSvg.size() * 20 < allSvg.size(), qPrintable(QString::number(thinSvg.size())));
    const QImage all = QImage::fromData(allSvg, "SVG");
    const QImage thinned = QImage::fromData(thinSvg, "SVG");
    QVERIFY(!all.isNull());
    QCOMPARE(thinned.size(), all.size());
    // Where one has ink, the other has it within a pixel. (Shades differ a little: the stroke
    // of 200,000 tiny segments piles up its antialiased edges.)
    const auto inked = [](const QImage& image, int x, int y) {
        const QColor c = image.pixelColor(x, y);
        return 3 * 255 - c.red() - c.green() - c.blue() > 150;
    };
    const auto inkNear = [&](const QImage& image, int x, int y) {
        for (int dy = -1; dy <= 1; ++dy) {
            for (int dx = -1; dx <= 1; ++dx) {
                if (image.valid(x + dx, y + dy) && inked(image, x + dx, y + dy))
                    return true;
            }
        }
        return false;
    };
    int missing = 0;
    int ink = 0;
    for (int y = 0; y < all.height(); ++y) {
        for (int x = 0; x < all.width(); ++x) {
            ink += inked(all, x, y) ? 1 : 0;
            missing += inked(all, x, y) && !inkNear(thinned, x, y) ? 1 : 0;
            missing += inked(thinned, x, y) && !inkNear(all, x, y) ? 1 : 0;
        }
    }
    QVERIFY(ink > 10000);
    QVERIFY2(missing < ink / 1000, qPrintable(QStringLiteral("%1 of %2").arg(missing).arg(ink)));
}

void PicturePainterTest::axisTitlesArePaintedAtTheirAnchors()
{
    const DiagramData data = distanceDiagram();
    const DiagramLayout l = LayoutDiagram(data, {500.0, 350.0, {}, {}});
    const QImage image = PictureImage(l.picture, 1.0);
    const TextItem* x = textItem(l.picture, u"t [s]");
    const TextItem* y = textItem(l.picture, u"v*t [m]");
    QVERIFY(x && y);
    QCOMPARE(x->anchor, TextAnchor::Middle);
    QCOMPARE(y->rotation, -90.0);

    // Centred on their anchors: ink on both sides. The y title reads upwards, so its ink lies
    // above and below its anchor, with the letters' tops to the left of it.
    const double h = x->size;
    QVERIFY(inkIn(image, {x->at.x - 3 * h, x->at.y - h, 3 * h, h + 2}) > 10);
    QVERIFY(inkIn(image, {x->at.x, x->at.y - h, 3 * h, h + 2}) > 10);
    QVERIFY(inkIn(image, {y->at.x - h, y->at.y - 3 * h, h + 2, 3 * h}) > 10);
    QVERIFY(inkIn(image, {y->at.x - h, y->at.y, h + 2, 3 * h}) > 10);
}

void PicturePainterTest::thePagesPngKeepsEveryPixel()
{
    const QImage picture = PictureImage(LayoutDiagram(distanceDiagram()).picture, 1.0);
    const QImage back = QImage::fromData(EncodePng(picture), "PNG");
    QCOMPARE(back.convertToFormat(QImage::Format_RGB32),
             picture.convertToFormat(QImage::Format_RGB32));
}

void PicturePainterTest::aPlaceholderHasRoomForItsWords()
{
    QTextDocument doc;
    ShowPicturesOf(doc);
    PagePicture metafile;
    metafile.kind = QStringLiteral("wmetafile8");
    metafile.bytes = "\x01\x02";
    metafile.shownSize = {75, 37}; // 2 by 1 cm
    const QSizeF size = doc.documentLayout()
                            ->handlerForObject(QTextFormat::ImageObject)
                            ->intrinsicSize(&doc, 0, ImageFormatOf(metafile));
    QVERIFY(size.width() >= 300 && size.height() >= 90);
}

QTEST_MAIN(PicturePainterTest)
#include "picture_painter_test.moc"
