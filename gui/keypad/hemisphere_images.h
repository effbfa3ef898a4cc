// SPDX-License-Identifier: GPL-3.0-or-later
// The look of a round keypad key: the up, down and mask images computed from the key's look
// settings. Plain functions on QImage, so the shading can be tested without a window.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

namespace quorvel {

enum class THemisphereBevel { hbNone, hbLowered, hbRaised };
enum class THemisphereBorder { bsNone, bsSingle };

// Everything that changes the key's look. The defaults are those of a new THemisphereButton.
struct HemisphereLook
{
    double AttenControl = 1.0;
    THemisphereBevel BevelInner = THemisphereBevel::hbNone;
    THemisphereBevel BevelOuter = THemisphereBevel::hbLowered;
    int BevelWidth = 2;
    QColor BorderColor{128, 128, 128};
    THemisphereBorder BorderStyle = THemisphereBorder::bsNone;
    QString Caption;
    QColor FaceColor{128, 128, 128};
    bool FaceShaded = true;
    bool FaceTransparent = false;
    QFont Font;
    QColor FontColor{Qt::black};
    QImage Glyph; // a null image: no glyph
    int GlyphIndex = 1;
    bool GlyphMapped = false;
    bool GlyphShaded = true;
    bool GlyphTransparent = true;
    int NumGlyphs = 1;
};

// ImageOut is the key up, ImageIn the key down; ImageMask is black where the key's pixels are
// and white where the background shows. All three are Format_RGB32.
struct HemisphereImages
{
    QImage ImageOut;
    QImage ImageIn;
    QImage ImageMask;
};

// Computes the three images for a key of `size` (in logical pixels). With a device pixel ratio
// above 1 the images hold size × ratio device pixels (ring widths and the caption scaled alike)
// and carry that ratio, so they paint at the logical size. Sizes below 2 × 2 give nothing.
std::optional<HemisphereImages> RebuildImages(const HemisphereLook& look, QSize size,
                                              qreal devicePixelRatio = 1.0);

// One shaded bevel ring of width `width`, walked around the ellipse inset by `inset` on every
// side of a W × H image; black where the ring does not reach. Exposed for tests.
QImage BevelRingImage(QSize size, int inset, bool raised, int width);

} // namespace quorvel
