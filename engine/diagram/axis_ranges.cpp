// SPDX-License-Identifier: GPL-3.0-or-later
// Axis ranges: robust limits, room around constant values, linear and logarithmic mapping.
#include "engine/diagram/axis_ranges.h"

#include "engine/diagram/axis_numbers.h"

#include <algorithm>
#include <limits>

namespace quorvel {
namespace {

// A span below this share of the values' size is rounding: the values are constant.
constexpr double kConstant = 1e-11;
// Spans below this are no range a double can divide into pixels.
constexpr double kTiniest = 1e-290;
constexpr double kMargin = 0.05;
constexpr double kMost = std::numeric_limits<double>::max();

bool logarithmic(AxisScale scale)
{
    return scale == AxisScale::Logarithmic;
}

// The range as the axis computes with it: logarithms on a logarithmic axis.
AxisRange inner(const AxisRange& r, AxisScale scale)
{
    return logarithmic(scale) ? AxisRange{std::log10(r.min), std::log10(r.max)} : r;
}

// lo to hi (lo <= hi, finite) made a range worth an axis: constant values get room, the rest a
// margin where the doubles have room for it.
AxisRange withRoom(double lo, double hi, bool log)
{
    const double half = hi * 0.5 - lo * 0.5;
    const double size = std::max(std::fabs(lo), std::fabs(hi));
    if (half * 2.0 <= kConstant * size || half * 2.0 < kTiniest) {
        const double mid = lo * 0.5 + hi * 0.5;
        double room = log ? std::log10(2.0) : (mid != 0.0 ? std::fabs(mid) * 0.1 : 1.0);
        room = std::max(room, kTiniest);
        return {std::max(-kMost, mid - room), std::min(kMost, mid + room)};
    }
    const double margin = half * 2.0 * kMargin;
    const AxisRange r{lo - margin, hi + margin};
    return std::isfinite(r.min) && std::isfinite(r.max) ? r : AxisRange{lo, hi};
}

} // namespace

AxisMap::AxisMap(const AxisRange& r, AxisScale scale) : m_log(logarithmic(scale))
{
    const AxisRange in = inner(r, scale);
    m_halfMin = in.min * 0.5;
    m_halfSpan = in.max * 0.5 - in.min * 0.5;
}

double AxisFraction(const AxisRange& r, AxisScale scale, double v)
{
    return AxisMap(r, scale).fraction(v);
}

double AxisValueAt(const AxisRange& r, AxisScale scale, double fraction)
{
    const AxisRange in = inner(r, scale);
    const double v = in.min * (1.0 - fraction) + in.max * fraction;
    return logarithmic(scale) ? std::pow(10.0, v) : v;
}

bool ShowableRange(const AxisRange& r, AxisScale scale)
{
    if (!std::isfinite(r.min) || !std::isfinite(r.max) || !(r.max > r.min))
        return false;
    if (logarithmic(scale) && !(r.min > 0.0))
        return false;
    const AxisRange in = inner(r, scale);
    const double half = in.max * 0.5 - in.min * 0.5;
    return half * 2.0 > kTiniest &&
           half * 2.0 > 1e-12 * std::max(std::fabs(in.min), std::fabs(in.max));
}

AxisRange FullXRange(const DiagramData& data)
{
    const bool log = logarithmic(data.xScale);
    if (data.x.empty())
        return log ? AxisRange{1.0, 10.0} : AxisRange{};
    const auto [lo, hi] = std::minmax_element(data.x.begin(), data.x.end());
    if (!(*hi > *lo)) {
        const AxisRange r = withRoom(log ? std::log10(*lo) : *lo, log ? std::log10(*hi) : *hi, log);
        return log ? AxisRange{std::pow(10.0, r.min), std::pow(10.0, r.max)} : r;
    }
    return {*lo, *hi};
}

AxisRange FullYRange(const DiagramData& data)
{
    const bool log = logarithmic(data.yScale);
    double lo = std::numeric_limits<double>::infinity();
    double hi = -lo;
    std::vector<double> values;
    for (const SampledCurve& curve : data.curves) {
        // Only a curve with poles needs its values gathered, for their bulk; a million points
        // of any other are read once.
        values.clear();
        double low = std::numeric_limits<double>::infinity();
        double high = -low;
        for (double v : curve.values) {
            if (IsGap(v) || !std::isfinite(v) || (log && !(v > 0.0)))
                continue;
            if (log)
                v = std::log10(v);
            low = v < low ? v : low;     // the first of equals and
            high = v >= high ? v : high; // the last, as minmax_element takes them
            if (curve.poles > 0)
                values.push_back(v);
        }
        if (low > high)
            continue;
        if (curve.poles > 0) {
            const ValueBand bulk = BulkBand(values);
            if (bulk.high > bulk.low) {
                low = std::max(low, bulk.low);
                high = std::min(high, bulk.high);
            }
        }
        lo = std::min(lo, low);
        hi = std::max(hi, high);
    }
    if (lo > hi)
        return log ? AxisRange{1.0, 10.0} : AxisRange{0.0, 1.0};
    const AxisRange r = withRoom(lo, hi, log);
    if (!log)
        return r;
    // Beyond 10^±308 there are no doubles: the range stays where values can be.
    return {std::pow(10.0, std::max(r.min, -307.0)), std::pow(10.0, std::min(r.max, 308.0))};
}

std::vector<double> ScaleTicks(const AxisRange& r, AxisScale scale, int maxTicks)
{
    return logarithmic(scale) ? LogAxisTicks(r.min, r.max, maxTicks)
                              : AxisTicks(r.min, r.max, maxTicks);
}

} // namespace quorvel
