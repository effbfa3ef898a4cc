// SPDX-License-Identifier: GPL-3.0-or-later
// Shading of the round keypad keys: bevel rings walked with the midpoint ellipse algorithm, the
// face lit from the upper left, glyph and caption, and the composition into the up, down and
// mask images. All per-pixel work of a key happens here, never while painting.
#include "gui/keypad/hemisphere_images.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace quorvel {

namespace {

// The light comes from the upper left and the front: L = (-1, -1, 1) / sqrt(3).
constexpr double kLight = 0.5773502692;

// Rounds to the nearest integer, halves to the even neighbour (the default FP rounding mode).
int roundEven(double x)
{
    return static_cast<int>(std::nearbyint(x));
}

int clampByte(int v)
{
    return std::clamp(v, 0, 255);
}

int ceilInt(double x)
{
    return static_cast<int>(std::ceil(x));
}

int floorInt(double x)
{
    return static_cast<int>(std::floor(x));
}

// Direct access to the pixels of a Format_RGB32 image (QImage::pixel and setPixel check the
// format and detach on every call).
class Pixels
{
public:
    explicit Pixels(QImage& img)
        : m_bits(img.bits()), m_stride(img.bytesPerLine()), m_w(img.width()), m_h(img.height())
    {
    }

    bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < m_w && y < m_h; }
    QRgb& operator()(int x, int y) { return reinterpret_cast<QRgb*>(m_bits + y * m_stride)[x]; }
    int width() const { return m_w; }
    int height() const { return m_h; }

private:
    uchar* m_bits;
    qsizetype m_stride;
    int m_w;
    int m_h;
};

// A filled ellipse whose bounding box is the image inset by `inset` on every side; a pixel
// belongs to it when its centre lies inside.
class Shape
{
public:
    Shape(QSize size, int inset) : m_w(size.width()), m_h(size.height())
    {
        m_inside.assign(static_cast<size_t>(m_w) * static_cast<size_t>(m_h), false);
        const double cx = m_w / 2.0;
        const double cy = m_h / 2.0;
        const double rx = (m_w - 2 * inset) / 2.0;
        const double ry = (m_h - 2 * inset) / 2.0;
        if (rx <= 0 || ry <= 0)
            return;
        for (int y = 0; y < m_h; ++y) {
            for (int x = 0; x < m_w; ++x) {
                const double u = (x + 0.5 - cx) / rx;
                const double v = (y + 0.5 - cy) / ry;
                if (u * u + v * v <= 1.0)
                    m_inside[index(x, y)] = true;
            }
        }
    }

    bool inside(int x, int y) const { return m_inside[index(x, y)]; }

    // White background with the ellipse in black, as the mask image wants it.
    QImage toImage(qreal dpr) const
    {
        QImage img(m_w, m_h, QImage::Format_RGB32);
        Pixels px(img);
        for (int y = 0; y < m_h; ++y)
            for (int x = 0; x < m_w; ++x)
                px(x, y) = inside(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
        img.setDevicePixelRatio(dpr);
        return img;
    }

private:
    size_t index(int x, int y) const
    {
        return static_cast<size_t>(y) * static_cast<size_t>(m_w) + static_cast<size_t>(x);
    }

    int m_w;
    int m_h;
    std::vector<bool> m_inside;
};

QImage blackImage(QSize size, qreal dpr)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(qRgb(0, 0, 0));
    img.setDevicePixelRatio(dpr);
    return img;
}

// Keeps the pixels of `img` inside (or outside) the shape and blacks out the rest: the AND of
// the image with a shape image or its inverse.
void keepOnly(QImage& img, const Shape& shape, bool keepInside)
{
    Pixels px(img);
    for (int y = 0; y < px.height(); ++y)
        for (int x = 0; x < px.width(); ++x)
            if (shape.inside(x, y) != keepInside)
                px(x, y) = qRgb(0, 0, 0);
}

// The glyph pixel that falls on a face pixel, if any.
struct GlyphSource
{
    QImage image;  // Format_RGB32
    int width = 0; // of one picture
    int height = 0;
    int start = 0; // left edge of the chosen picture
    QRgb transparent = 0;

    std::optional<QRgb> pixelAt(const HemisphereLook& look, int x, int y, double cx, double cy,
                                double su, double sv, double h) const
    {
        int gx = 0;
        int gy = 0;
        if (look.GlyphMapped) {
            gx = floorInt(std::atan2(h, -su) * (width - 1) / std::numbers::pi);
            gy = floorInt(std::atan2(h, -sv) * (height - 1) / std::numbers::pi);
        } else {
            gx = floorInt(width / 2.0 + x - cx);
            gy = floorInt(height / 2.0 + y - cy);
        }
        if (gx < 0 || gx >= width || gy < 0 || gy >= height || start + gx >= image.width())
            return std::nullopt;
        const QRgb c = image.pixel(start + gx, gy);
        if (look.GlyphTransparent && (c & 0xffffffu) == (transparent & 0xffffffu))
            return std::nullopt;
        return c;
    }
};

std::optional<GlyphSource> glyphSource(const HemisphereLook& look, qreal dpr)
{
    if (look.Glyph.isNull() || look.Glyph.width() < 1 || look.Glyph.height() < 1)
        return std::nullopt;
    GlyphSource g;
    g.image = look.Glyph.convertToFormat(QImage::Format_RGB32);
    if (dpr != 1.0) // a flat glyph keeps its logical size on a high-density screen
        g.image = g.image.scaled(std::max(1, roundEven(g.image.width() * dpr)),
                                 std::max(1, roundEven(g.image.height() * dpr)),
                                 Qt::IgnoreAspectRatio, Qt::FastTransformation);
    const int n = std::max(1, look.NumGlyphs);
    g.width = n == 1 ? g.image.width() : g.image.width() / n;
    g.height = g.image.height();
    g.start = (std::max(1, look.GlyphIndex) - 1) * g.width;
    g.transparent = g.image.pixel(0, g.height - 1);
    if (g.width < 1)
        return std::nullopt;
    return g;
}

QRgb shade(QRgb c, double t)
{
    auto channel = [t](int v) { return clampByte(v + roundEven(v * t)); };
    return qRgb(channel(qRed(c)), channel(qGreen(c)), channel(qBlue(c)));
}

// Step 4 of the rebuild: every face pixel, the up colour into `up`, the down colour into `down`.
void drawFace(const HemisphereLook& look, int bevel, int rings, const Shape& faceShape,
              const std::optional<GlyphSource>& glyph, QImage& up, QImage& down, QImage& mask)
{
    const int W = up.width();
    const int H = up.height();
    Pixels upPx(up);
    Pixels downPx(down);
    Pixels maskPx(mask);
    const double cx = W / 2.0;
    const double cy = H / 2.0;
    const int e = rings * bevel;
    const QRgb face = look.FaceColor.rgb();

    const int rows = floorInt((H - e) / 2.0);
    for (int j = 0; j <= rows; ++j) {
        const double v = j / cy;
        const int n = ceilInt(std::sqrt(std::max(0.0, 1.0 - v * v)) * (W - e) / 2.0);
        if (n <= 1)
            continue;
        for (int i = 0; i <= n; ++i) {
            const double u = i / cx;
            const double h = 1.0 - std::sqrt(u * u + v * v);
            struct Quadrant
            {
                int x, y;
                double su, sv;
            };
            const Quadrant quadrants[4] = {
                {ceilInt(cx + i), floorInt(cy - j), u, -v},
                {ceilInt(cx + i), ceilInt(cy + j), u, v},
                {floorInt(cx - i), ceilInt(cy + j), -u, v},
                {floorInt(cx - i), floorInt(cy - j), -u, -v},
            };
            for (const Quadrant& q : quadrants) {
                if (!upPx.contains(q.x, q.y))
                    continue;
                std::optional<QRgb> colour;
                if (glyph)
                    colour = glyph->pixelAt(look, q.x, q.y, cx, cy, q.su, q.sv, h);
                bool shaded = look.GlyphShaded;
                if (!colour) {
                    if (look.FaceTransparent) {
                        if (faceShape.inside(q.x, q.y))
                            maskPx(q.x, q.y) = qRgb(255, 255, 255);
                        continue;
                    }
                    colour = face;
                    shaded = look.FaceShaded;
                }
                if (shaded) {
                    const double t = look.AttenControl * kLight * (h - q.su - q.sv);
                    upPx(q.x, q.y) = shade(*colour, t);
                    downPx(q.x, q.y) = shade(*colour, -t);
                } else {
                    upPx(q.x, q.y) = *colour;
                    downPx(q.x, q.y) = *colour;
                }
            }
        }
    }
}

// Step 5: the caption, centred, in the same place on both faces (and opaque on the mask when
// the face lets the background through).
void drawCaption(const HemisphereLook& look, QSize size, QImage& up, QImage& down, QImage& mask)
{
    const QFontMetrics fm(look.Font, &up);
    const int x = roundEven((size.width() - fm.horizontalAdvance(look.Caption) - 2) / 2.0);
    const int y = roundEven((size.height() - fm.height() - 2) / 2.0);
    const QPoint baseline(x, y + fm.ascent());
    for (QImage* img : {&up, &down}) {
        QPainter p(img);
        p.setFont(look.Font);
        p.setPen(look.FontColor);
        p.drawText(baseline, look.Caption);
    }
    if (look.FaceTransparent) {
        QFont sharp = look.Font; // the mask is two-coloured, so no grey edges
        sharp.setStyleStrategy(QFont::NoAntialias);
        QPainter p(&mask);
        p.setFont(sharp);
        p.setPen(Qt::black);
        p.drawText(baseline, look.Caption);
    }
}

void drawBorder(const HemisphereLook& look, QSize size, int inset, QImage& img)
{
    QPainter p(&img);
    p.setPen(QPen(look.BorderColor, 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(
        QRectF(inset, inset, size.width() - 2 * inset - 1, size.height() - 2 * inset - 1));
}

void orInto(QImage& img, const QImage& ring)
{
    Pixels to(img);
    for (int y = 0; y < to.height(); ++y) {
        const auto* from = reinterpret_cast<const QRgb*>(ring.constScanLine(y));
        for (int x = 0; x < to.width(); ++x)
            to(x, y) |= from[x];
    }
}

} // namespace

QImage BevelRingImage(QSize size, int inset, bool raised, int width)
{
    QImage ring(size, QImage::Format_RGB32);
    ring.fill(qRgb(0, 0, 0));
    const double rx = (size.width() - 2 * inset - 1) / 2.0;
    const double ry = (size.height() - 2 * inset - 1) / 2.0;
    const double cx = inset + rx;
    const double cy = inset + ry;
    const int r = ceilInt(width / 2.0) + 1;
    const double sign = raised ? 1.0 : -1.0; // lowered rings slope inwards

    auto level = [&](double dx, double dy) {
        const double d = std::sqrt(dx * dx + dy * dy);
        const double nDotL =
            (sign * dx * -kLight + sign * dy * -kLight + d * kLight) / (std::numbers::sqrt2 * d);
        return clampByte(128 + roundEven(128 * nDotL));
    };
    Pixels pixels(ring);
    auto put = [&pixels](int x, int y, int grey) {
        if (pixels.contains(x, y))
            pixels(x, y) = qRgb(grey, grey, grey);
    };
    // One offset (i, j) from the centre, mirrored into the four quadrants; each copy is shaded
    // by its own direction from the centre.
    auto shadeOffset = [&](int i, int j) {
        if (i == 0 && j == 0) {
            put(0, 0, clampByte(128 + roundEven(128 * kLight)));
            return;
        }
        put(ceilInt(cx + i), ceilInt(cy - j), level(i, -j));
        put(ceilInt(cx + i), floorInt(cy + j), level(i, j));
        put(floorInt(cx - i), floorInt(cy + j), level(-i, j));
        put(floorInt(cx - i), ceilInt(cy - j), level(-i, -j));
    };
    auto plot = [&](double x, double y) {
        const int ix = roundEven(x);
        const int iy = roundEven(y);
        for (int dx = -r; dx <= r; ++dx)
            for (int dy = -r; dy <= r; ++dy)
                shadeOffset(ix + dx, iy + dy);
    };

    // Midpoint ellipse walk over the first quarter, in real arithmetic.
    const double rx2 = rx * rx;
    const double ry2 = ry * ry;
    double x = 0;
    double y = ry;
    plot(x, y);
    double d = ry2 - rx2 * ry + rx2 / 4;
    while ((x + 1) * ry2 < (y - 0.5) * rx2) {
        const double before = d;
        d += ry2 * (2 * x + 3);
        if (before >= 0) {
            d += rx2 * (2 - 2 * y);
            y -= 1;
        }
        x += 1;
        plot(x, y);
    }
    d = ry2 * (x + 0.5) * (x + 0.5) + rx2 * (y - 1) * (y - 1) - rx2 * ry2;
    while (y > 0) {
        if (d >= 0) {
            d += rx2 * (3 - 2 * y);
        } else {
            d += ry2 * (2 * x + 2) + rx2 * (3 - 2 * y);
            x += 1;
        }
        y -= 1;
        plot(x, y);
    }
    return ring;
}

std::optional<HemisphereImages> RebuildImages(const HemisphereLook& look, QSize size,
                                              qreal devicePixelRatio)
{
    if (size.width() < 2 || size.height() < 2)
        return std::nullopt;
    const qreal dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const QSize px(roundEven(size.width() * dpr), roundEven(size.height() * dpr));
    const int bevel = std::max(1, roundEven(look.BevelWidth * dpr));

    // 1, 2: work images and shapes.
    QImage up = blackImage(px, dpr);
    QImage down = blackImage(px, dpr);
    const bool outer = look.BevelOuter != THemisphereBevel::hbNone;
    const bool inner = look.BevelInner != THemisphereBevel::hbNone;
    const Shape s1(px, outer || inner ? bevel : 0);
    const Shape s2 = outer && inner ? Shape(px, 2 * bevel) : s1;
    const Shape whole(px, 0);
    HemisphereImages result;
    result.ImageMask = whole.toImage(dpr);

    // 3: rings.
    int rings = 0;
    std::optional<QImage> r1;
    std::optional<QImage> r2;
    if (outer) {
        ++rings;
        r1 = BevelRingImage(px, bevel / 2, look.BevelOuter == THemisphereBevel::hbRaised, bevel);
        keepOnly(*r1, s1, false);
    }
    if (inner) {
        ++rings;
        const bool raised = look.BevelInner == THemisphereBevel::hbRaised;
        if (outer) {
            r2 = BevelRingImage(px, ceilInt(1.5 * bevel), raised, bevel);
            keepOnly(*r2, s2, false);
            keepOnly(*r2, s1, true);
        } else {
            r1 = BevelRingImage(px, ceilInt(bevel / 2.0), raised, bevel);
            keepOnly(*r1, s1, false);
        }
    }

    // 4, 5: face and caption.
    drawFace(look, bevel, rings, s2, glyphSource(look, dpr), up, down, result.ImageMask);
    if (!look.Caption.isEmpty())
        drawCaption(look, size, up, down, result.ImageMask);

    // 6: cut the face to its ellipse and lay the rings around it.
    if (rings > 0) {
        keepOnly(up, s2, true);
        keepOnly(down, s2, true);
    }
    for (const std::optional<QImage>& ring : {r1, r2}) {
        if (ring) {
            orInto(up, *ring);
            orInto(down, *ring);
        }
    }

    // 7: border.
    if (look.BorderStyle == THemisphereBorder::bsSingle) {
        const int inset = rings * look.BevelWidth;
        drawBorder(look, size, inset, up);
        drawBorder(look, size, inset, down);
    }
    result.ImageOut = up;
    result.ImageIn = down;
    return result;
}

} // namespace quorvel
