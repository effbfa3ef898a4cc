// SPDX-License-Identifier: GPL-3.0-or-later
// The ranges a diagram's axes show and the way from a value to its place on an axis, linear or
// logarithmic. Ranges from -1e308 to 1e308 are computed with halves, so no span overflows.
#pragma once

#include "engine/diagram/sampling.h"

#include <cmath>
#include <limits>
#include <vector>

namespace quorvel {

// The values an axis shows, in its unit, from the left or bottom end to the other.
struct AxisRange
{
    double min = 0.0;
    double max = 1.0;
    friend bool operator==(const AxisRange&, const AxisRange&) = default;
};

// Where v lies between the ends: 0 at min, 1 at max (beyond them outside 0..1; NaN for a value
// a logarithmic axis cannot show).
double AxisFraction(const AxisRange& r, AxisScale scale, double v);
// AxisFraction for many values of one axis, with the ends' logarithms taken once: the same
// numbers, a million points in a few milliseconds.
class AxisMap
{
public:
    AxisMap(const AxisRange& r, AxisScale scale);
    double fraction(double v) const
    {
        if (m_log)
            v = v > 0.0 ? std::log10(v) : std::numeric_limits<double>::quiet_NaN();
        return (v * 0.5 - m_halfMin) / m_halfSpan;
    }

private:
    bool m_log;
    double m_halfMin;
    double m_halfSpan;
};
// The value at that fraction of the axis.
double AxisValueAt(const AxisRange& r, AxisScale scale, double fraction);

// Whether an axis can show the range: finite ends, max above min by more than rounding, and
// positive on a logarithmic axis.
bool ShowableRange(const AxisRange& r, AxisScale scale);

// The whole x range: from the first to the last point.
AxisRange FullXRange(const DiagramData& data);

// The y range that shows the curves: every value with a little margin; for a curve with poles
// only the bulk of its values (BulkBand), so that a pole does not flatten the rest; values
// constant but for rounding get room around them (0 alone gets -1 to 1); no values at all give
// 0 to 1. On a logarithmic axis the same is done with the positive values' logarithms.
AxisRange FullYRange(const DiagramData& data);

// Round ticks of an axis of either scale with at most maxTicks.
std::vector<double> ScaleTicks(const AxisRange& r, AxisScale scale, int maxTicks);

} // namespace quorvel
