// SPDX-License-Identifier: GPL-3.0-or-later
// A curve's line as the polylines of a picture: broken at every gap and pole, clipped to the
// plot area, and thinned to what the picture can show. Of the points that fall into one pixel
// column of a stretch only the first, the lowest, the highest and the last are kept, in their
// order: the stroke covers the same pixels, and a million points across 800 columns become a
// few thousand, which every SVG reader opens.
#pragma once

#include "engine/diagram/axis_ranges.h"
#include "engine/diagram/drawing.h"

#include <vector>

namespace quorvel {

// Pixel columns per picture unit the files and the screen are thinned to: PNG files and the
// clipboard's image have two pixels to a unit.
inline constexpr double kThinningColumns = 2.0;

// points with, of each run in one column, only the first, lowest, highest and last left; the
// column of a point is floor(x * columnsPerUnit + offset). Nothing is left out when
// columnsPerUnit is not positive.
void ThinToColumns(std::vector<PicturePoint>& points, double columnsPerUnit, double offset = 0.0);

// Where a curve goes in the picture: the plot area and the axes' ranges and scales.
struct PlotFrame
{
    PictureRect plot;
    AxisRange x;
    AxisRange y;
    AxisScale xScale = AxisScale::Linear;
    AxisScale yScale = AxisScale::Linear;
};

struct CurveStyle
{
    Colour colour;
    double width = 2.0;
    bool dashed = false;
};

// The line's visible stretches as polylines inside the plot, thinned to columnsPerUnit: broken
// at NaN values, at values a logarithmic axis cannot show, and where it leaves the plot, so that
// no stroke crosses a gap and no coordinate runs far outside. A value between two breaks is a
// short dash; the dashes and stretches of one column that overlap are drawn as one stroke.
void AddCurveItems(std::vector<PictureItem>& items, const PlotFrame& frame, const CurveLine& line,
                   const CurveStyle& style, double columnsPerUnit);

} // namespace quorvel
