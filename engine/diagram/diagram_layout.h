// SPDX-License-Identifier: GPL-3.0-or-later
// How a diagram looks, in one place: the sampled curves laid out as a Picture of a given size
// with ranges, round ticks, grid, axis titles, legend, curves broken at their gaps and a note on
// the points without value. The window paints the Picture and maps the mouse through the plot
// rectangle and the ranges reported here; zooming lays out again with other ranges.
//
//   SampleDiagram -> DiagramData -> LayoutDiagram -> Picture -> WriteSvg | the window's painter
#pragma once

#include "diagram/drawing.h"
#include "diagram/sampling.h"

#include <optional>

namespace quorvel {

// The values an axis shows, in its unit, from the left or bottom end to the other.
struct AxisRange
{
    double min = 0.0;
    double max = 1.0;
};

struct LayoutOptions
{
    double width = 800.0; // picture units; the SVG writes them as its size
    double height = 500.0;
    // The visible ranges when zoomed; the whole data with a margin when absent.
    std::optional<AxisRange> x;
    std::optional<AxisRange> y;
};

struct DiagramLayout
{
    Picture picture;
    PictureRect plot; // the area inside the axes
    AxisRange x;      // the values at plot.x and plot.right()
    AxisRange y;      // the values at plot.bottom() and plot.y
};

// The whole data: x from the first to the last point, y over every value with a little margin
// (a constant curve gets room around it; no values at all give 0 to 1).
AxisRange FullXRange(const DiagramData& data);
AxisRange FullYRange(const DiagramData& data);

// Linear in the number of points: it runs again at every zoom step of the window.
DiagramLayout LayoutDiagram(const DiagramData& data, const LayoutOptions& options = {});

// The colour of curve number index; colours repeat beyond the palette, then dashed.
Colour CurveColour(std::size_t index);
bool CurveDashed(std::size_t index);

// The y axis title: the formula of one curve, or the formulas joined by ", ", with the unit in
// brackets («v*t [m]»).
std::u16string YAxisTitle(const DiagramData& data);

// "3 von 201 Punkten ohne Wert; der erste bei t = 0s: Division by zero in SiDiv", with the
// formula in front when there are several curves; empty when every point has a value.
std::u16string FailureNote(const DiagramData& data, std::size_t curve);

// Between picture positions and axis values.
inline double XValueAt(const DiagramLayout& l, double px)
{
    return l.x.min + (px - l.plot.x) / l.plot.width * (l.x.max - l.x.min);
}
inline double YValueAt(const DiagramLayout& l, double py)
{
    return l.y.min + (l.plot.bottom() - py) / l.plot.height * (l.y.max - l.y.min);
}
inline double XPosition(const DiagramLayout& l, double value)
{
    return l.plot.x + (value - l.x.min) / (l.x.max - l.x.min) * l.plot.width;
}
inline double YPosition(const DiagramLayout& l, double value)
{
    return l.plot.bottom() - (value - l.y.min) / (l.y.max - l.y.min) * l.plot.height;
}

} // namespace quorvel
