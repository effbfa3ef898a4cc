// SPDX-License-Identifier: GPL-3.0-or-later
// How a diagram looks, in one place: the sampled curves laid out as a Picture of a given size
// with ranges, round ticks, grid, axis titles, legend, curves broken at their gaps and poles and
// thinned to what the picture can show, and a note on the points without value. The window
// paints the Picture and maps the mouse through the plot rectangle and the ranges reported here;
// zooming lays out again with other ranges (and lines sampled again for them). Nothing here
// needs a window: a picture of a diagram is this layout written as SVG or painted anywhere.
//
//   SampleDiagram -> DiagramData -> LayoutDiagram -> Picture -> WriteSvg | the window's painter
#pragma once

#include "engine/diagram/axis_ranges.h"
#include "engine/diagram/curve_drawing.h"
#include "engine/diagram/drawing.h"
#include "engine/diagram/sampling.h"

#include <optional>

namespace quorvel {

struct LayoutOptions
{
    double width = 800.0; // picture units; the SVG writes them as its size
    double height = 500.0;
    // The visible ranges when zoomed; the whole data with a margin when absent.
    std::optional<AxisRange> x;
    std::optional<AxisRange> y;
    // The curves' lines when they were sampled again for the visible x range, one per curve;
    // each curve's own line when absent.
    const std::vector<CurveLine>* lines = nullptr;
    // Pixel columns per picture unit the curves are thinned to; 0 keeps every point.
    double columnsPerUnit = kThinningColumns;
};

struct DiagramLayout
{
    Picture picture;
    PictureRect plot; // the area inside the axes
    AxisRange x;      // the values at plot.x and plot.right()
    AxisRange y;      // the values at plot.bottom() and plot.y
    AxisScale xScale = AxisScale::Linear;
    AxisScale yScale = AxisScale::Linear;
};

// Linear in the number of points that are visible; bounded in time for any finite ranges and
// values. It runs again at every zoom step of the window.
DiagramLayout LayoutDiagram(const DiagramData& data, const LayoutOptions& options = {});

// The colour of curve number index; colours repeat beyond the palette, then dashed.
Colour CurveColour(std::size_t index);
bool CurveDashed(std::size_t index);

// The y axis title: the curves' names (the assigned variables, else the formulas) joined by
// ", ", with the unit in brackets («y [m]», «z1, z2, z3 [m]»).
std::u16string YAxisTitle(const DiagramData& data);

// "3 von 201 Punkten ohne Wert; der erste bei t = 0s: Division by zero in SiDiv", with the
// curve's name in front when there are several curves; on a logarithmic y axis also how many
// values are not positive. Empty when every point is shown.
std::u16string FailureNote(const DiagramData& data, std::size_t curve);

// Between picture positions and axis values.
inline double XValueAt(const DiagramLayout& l, double px)
{
    return AxisValueAt(l.x, l.xScale, (px - l.plot.x) / l.plot.width);
}
inline double YValueAt(const DiagramLayout& l, double py)
{
    return AxisValueAt(l.y, l.yScale, (l.plot.bottom() - py) / l.plot.height);
}
inline double XPosition(const DiagramLayout& l, double value)
{
    return l.plot.x + AxisFraction(l.x, l.xScale, value) * l.plot.width;
}
inline double YPosition(const DiagramLayout& l, double value)
{
    return l.plot.bottom() - AxisFraction(l.y, l.yScale, value) * l.plot.height;
}

} // namespace quorvel
