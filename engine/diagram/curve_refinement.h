// SPDX-License-Identifier: GPL-3.0-or-later
// Adaptive sampling of one curve: evenly spaced points are not enough where a curve turns fast,
// jumps or runs into a pole. Between neighbours that jump far more than their neighbourhood
// suggests, that change sign through values beyond the visible band, that enclose a peak, or of
// which one has no value, the curve is sampled again, halving the segment up to a fixed depth.
// Where the values still jump at the finest level the line is broken rather than joined: a pole
// or a step is no vertical stroke.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace quorvel {

// A point of a drawn line, in the axis units; a NaN y breaks the line there (a gap or a pole).
struct LinePoint
{
    double x = 0.0;
    double y = 0.0;
};
using CurveLine = std::vector<LinePoint>;

// The values the refinement cares about: jumps are measured against the band's height, and
// what lies beyond it on one side is not refined further (it is clipped at the plot's edge).
struct ValueBand
{
    double low = 0.0;
    double high = 0.0;
};

// The band of a curve's values: the bulk between the 5th and 95th percentile, widened by half
// its height each way, so that a few values near a pole do not count. Empty (low == high) when
// the values are constant but for rounding.
ValueBand BulkBand(const std::vector<double>& values);

struct RefinedLine
{
    CurveLine line;
    // Breaks where the values diverge (both sides beyond the band), and gaps approached by
    // values beyond it: poles. Steps within the band are breaks but no poles.
    std::int32_t poles = 0;
};

// The line through (xs[i], ys[i]) (NaN: no value) with the points sampled between them by f
// (which answers NaN where the curve has none). xs may run either way; on a logarithmic axis
// (geometric, all xs positive) segments are halved geometrically. At most `budget` calls of f.
RefinedLine RefineCurve(const std::vector<double>& xs, const std::vector<double>& ys,
                        const ValueBand& band, bool geometric,
                        const std::function<double(double)>& f, std::size_t budget);

// Evaluations RefineCurve may spend on a request of n points: enough for the poles of any
// sensible formula, bounded so that a zoom step stays within a frame.
std::size_t RefinementBudget(std::size_t n);

} // namespace quorvel
