// SPDX-License-Identifier: GPL-3.0-or-later
// Sampling formulas over one variable for a diagram: with the page's variables and units as
// they are, the variable is set to each point's value and every formula evaluated there.
// A point whose evaluation fails is a gap. The page is left exactly as it was.
#pragma once

#include "formula/ef_parser.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

inline constexpr std::int32_t kDefaultDiagramPoints = 201;
inline constexpr std::int32_t kMinDiagramPoints = 2;
inline constexpr std::int32_t kMaxDiagramPoints = 1'000'000;

// One curve: a formula and, as on its worksheet line, the old result behind it whose units
// choose the unit the values are shown in (empty: the formula's own units choose). label names
// the curve's origin in messages, as in «Zeile 3 „v*t“ in m» (empty: the formula alone).
struct CurveRequest
{
    std::u16string formula;
    std::u16string shownIn;
    std::u16string label;
};

struct DiagramRequest
{
    std::vector<CurveRequest> curves;
    std::u16string variable;
    // Quantities as the user types them ("0s", "2.5km", "2*t0"): any formula of the page.
    std::u16string from;
    std::u16string to;
    std::int32_t points = kDefaultDiagramPoints;
};

// The unit an axis is shown in: its text (empty for a dimensionless axis without a unit) and
// its value in SI base units.
struct AxisUnit
{
    std::u16string name;
    double divisor = 1.0;
};

struct SampledCurve
{
    std::u16string formula;     // blank-free, as evaluated
    std::vector<double> values; // one per point, in the y unit; NaN where the point failed
    std::int32_t failed = 0;
    // The first failing point: its index and the evaluator's message (or the fault's).
    std::size_t firstFailure = 0;
    std::u16string failureMessage;
};

struct DiagramData
{
    std::u16string variable;
    AxisUnit xUnit;
    AxisUnit yUnit;
    std::vector<double> x; // the points, in the x unit, from "from" to "to"
    std::vector<SampledCurve> curves;
};

// A gap in a curve's values.
inline bool IsGap(double value)
{
    return std::isnan(value);
}

// Samples the request's formulas at evenly spaced points. Raises QuorvelError with a German
// message when the request cannot be drawn: no formula, a point count outside
// kMinDiagramPoints..kMaxDiagramPoints, a variable no formula uses, "from" or "to" that do not
// evaluate or differ in dimension from each other or from the variable's present value, an
// empty or infinite range, formulas of different dimensions. Variables, their values, the Used
// marks of both tables and the error state are as before afterwards, also when it raises.
DiagramData SampleDiagram(TEFParser& parser, const DiagramRequest& request);

// The x unit's label, the variable and its unit: «t [s]»; without brackets for a dimensionless
// axis. The y axis and the CSV header use it with the formula.
std::u16string AxisTitle(std::u16string_view name, const AxisUnit& unit);

// The quantity texts a dialog offers for sweeping variable: 0 to twice its present value in
// its unit («0s», «10s» for t = 5s), 0 to 1 when it is 0 or undefined. Formulas of the page, so
// SampleDiagram reads them back.
struct SweepRange
{
    std::u16string from;
    std::u16string to;
};
SweepRange DefaultSweep(TEFParser& parser, std::u16string_view variable);

} // namespace quorvel
