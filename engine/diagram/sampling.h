// SPDX-License-Identifier: GPL-3.0-or-later
// Sampling formulas over one variable for a diagram: with the page's variables and units as
// they are, the variable is set to each point's value and every formula evaluated there. A point
// whose evaluation fails, or whose value has another dimension than most of the curve's, is a
// gap. Between the points the curves are sampled again where they jump (curve_refinement.h).
// The page is left exactly as it was: everything is evaluated on a copy of its evaluator, which
// the diagram keeps to sample a zoomed range again and to read values off.
#pragma once

#include "engine/diagram/curve_refinement.h"
#include "engine/formula/evaluator.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

inline constexpr std::int32_t kDefaultDiagramPoints = 201;
inline constexpr std::int32_t kMinDiagramPoints = 2;
inline constexpr std::int32_t kMaxDiagramPoints = 1'000'000;

enum class AxisScale : std::uint8_t { Linear, Logarithmic };

// One curve: a formula and, as on its worksheet line, the old result behind it whose units
// choose the unit the values are shown in (empty: the formula's own units choose). label names
// the curve's origin in messages, as in «Zeile 3 „v*t“ in m» (empty: the formula alone). name is
// the variable the line assigns («y» for «y = v*t»): the curve's name on the axis, in the legend
// and in the values read off (empty: the formula names the curve).
struct CurveRequest
{
    std::u16string formula;
    std::u16string shownIn;
    std::u16string label;
    std::u16string name;
    friend bool operator==(const CurveRequest&, const CurveRequest&) = default;
};

// Everything a diagram is drawn from, as plain values: it can be kept, written down and sampled
// again later with the page's evaluator.
struct DiagramRequest
{
    std::vector<CurveRequest> curves;
    std::u16string variable;
    // Quantities as the user types them ("0s", "2.5km", "2*t0"): any formula of the page.
    std::u16string from;
    std::u16string to;
    std::int32_t points = kDefaultDiagramPoints;
    // A logarithmic x axis spaces the points geometrically and needs a positive range; on a
    // logarithmic y axis values that are not positive are not drawn.
    AxisScale xScale = AxisScale::Linear;
    AxisScale yScale = AxisScale::Linear;
    friend bool operator==(const DiagramRequest&, const DiagramRequest&) = default;
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
    std::u16string name;        // as requested; empty when the formula names the curve
    AxisUnit unit;              // the unit the formula's own result is shown in
    std::vector<double> values; // one per point, in the y unit; NaN where the point has none
    std::int32_t failed = 0;
    // The first point without value: its index and the evaluator's message (or the fault's,
    // or «Dimension m statt ohne Einheit» for a point of a dimension the curve does not have).
    std::size_t firstFailure = 0;
    std::u16string failureMessage;
    // What is drawn: the points above and those sampled between them where the curve jumps,
    // broken (NaN y) at gaps and poles. Empty: the points above are drawn as they are.
    CurveLine line;
    std::int32_t poles = 0; // breaks where the values diverge
};

class DiagramSource;

struct DiagramData
{
    // What it was sampled from: to keep with a picture, and to sample again later.
    DiagramRequest request;
    std::u16string variable;
    AxisUnit xUnit;
    AxisUnit yUnit;
    AxisScale xScale = AxisScale::Linear;
    AxisScale yScale = AxisScale::Linear;
    std::vector<double> x; // the points, in the x unit, from "from" to "to"
    std::vector<SampledCurve> curves;
    // What the values were computed from, to sample again (empty for data made otherwise).
    std::shared_ptr<DiagramSource> source;
};

// A gap in a curve's values.
inline bool IsGap(double value)
{
    return std::isnan(value);
}

// Samples the request's formulas at its points: evenly spaced, or geometrically on a
// logarithmic x axis. Raises QuorvelError with a German message when the request cannot be
// drawn: no formula, a point count outside kMinDiagramPoints..kMaxDiagramPoints, a variable no
// formula uses, "from" or "to" that do not evaluate or differ in dimension from each other or
// from the variable's present value, an empty or infinite range, a logarithmic x axis over a
// range that is not positive, formulas of different dimensions. The parser is not changed.
DiagramData SampleDiagram(const TEFParser& parser, const DiagramRequest& request);

// The diagram's evaluator as it was when it was sampled: a copy of the page's, with the swept
// variable and each curve's dimension and unit. Not for several threads at once.
class DiagramSource
{
public:
    struct Curve
    {
        std::u16string formula;
        TSINumber dimension; // its exponents; no value when the curve has none at all
        bool known = false;
    };
    DiagramSource(TEFParser parser, std::int32_t swept, TSIVar point, double xDivisor,
                  double yDivisor, std::vector<Curve> curves);

    // Curve c's value at x (both in their axis units); NaN where the formula has none or one of
    // another dimension, with the reason in why when asked.
    double value(std::size_t c, double x, std::u16string* why = nullptr);

    // Every curve's line over from..to in `points` points (spaced as the x axis is), refined
    // where it jumps within the band of y values that is visible.
    std::vector<CurveLine> lines(double from, double to, std::int32_t points, AxisScale xScale,
                                 const ValueBand& visible);

    // A quantity typed for an axis («2.5km», «3», «2*t0»), in the axis's unit: the x axis's or,
    // with y, the y axis's. Nothing when it does not evaluate, or has a dimension that is
    // neither the axis's nor none (a plain number is a number in the axis's unit).
    std::optional<double> axisValue(std::u16string_view text, bool y);

private:
    TEFParser m_parser;
    std::int32_t m_swept;
    TSIVar m_point;
    double m_xDivisor;
    double m_yDivisor;
    std::vector<Curve> m_curves;
    std::u16string m_buffer;
};

// Points from a to b for a request of n: evenly spaced, each the double nearest to a decimal
// six digits finer than the step (0.1 to 0.3 in 201 points gives 0.101, not
// 0.10099999999999999); geometric on a logarithmic axis. The ends are a and b exactly.
std::vector<double> AxisPoints(double a, double b, std::size_t n, AxisScale scale);

// The variables of the curves' formulas, each once, in the order they first appear: what a
// diagram of them can be drawn over.
std::vector<std::u16string> CurveVariables(TEFParser& parser,
                                           const std::vector<CurveRequest>& curves);
// Why curves whose formulas hold no variable cannot be drawn, as one sentence.
std::u16string NoVariableText(const std::vector<CurveRequest>& curves);

// An axis label: the name and its unit, «t [s]»; without brackets for a dimensionless axis.
std::u16string AxisTitle(std::u16string_view name, const AxisUnit& unit);

// The curve's name on the axis, in the legend and the values read off: the assigned variable's
// name, else the formula.
const std::u16string& CurveName(const SampledCurve& curve);

// The quantity texts a dialog offers for sweeping variable: 0 to twice its present value in
// its unit («0s», «10s» for t = 5s), 0 to 1 when it is 0 or undefined. Formulas of the page, so
// SampleDiagram reads them back.
struct SweepRange
{
    std::u16string from;
    std::u16string to;
};
SweepRange DefaultSweep(const TEFParser& parser, std::u16string_view variable);

} // namespace quorvel
