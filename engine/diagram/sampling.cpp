// SPDX-License-Identifier: GPL-3.0-or-later
// Sampling a diagram's formulas with the page's own evaluator, and putting the page back.
#include "diagram/sampling.h"

#include "base/quorvel_error.h"
#include "base/text_helpers.h"
#include "diagram/axis_numbers.h"
#include "formula/formula_names.h"
#include "quantity/quantity_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <utility>

namespace quorvel {
namespace {

constexpr double kGap = std::numeric_limits<double>::quiet_NaN();

std::u16string quoted(std::u16string_view text)
{
    return u"\u201E" + std::u16string(text) + u"\u201C";
}

std::u16string number(std::int64_t n)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    return {digits, end};
}

// What sampling changes in the parser, taken when it starts and put back when it ends, also
// when something raises: the swept variable (its value, or that it did not exist), the Used
// marks of both tables, the error state.
class PageState
{
public:
    explicit PageState(TEFParser& parser)
        : m_parser(parser), m_varCount(parser.Vars.Count), m_errMsg(parser.ErrMsg),
          m_errPos(parser.ErrPos), m_errLen(parser.ErrLen)
    {
        m_unitsUsed = usedMarks(parser.Units);
        m_varsUsed = usedMarks(parser.Vars);
    }
    ~PageState()
    {
        if (m_swept >= 0) {
            if (m_sweptExisted)
                m_parser.Vars.SetItem(m_swept, m_sweptBefore);
            else if (m_parser.Vars.Count == m_varCount + 1)
                m_parser.Vars.RemoveLast();
        }
        restoreMarks(m_parser.Units, m_unitsUsed);
        restoreMarks(m_parser.Vars, m_varsUsed);
        m_parser.ErrMsg = m_errMsg;
        m_parser.ErrPos = m_errPos;
        m_parser.ErrLen = m_errLen;
    }
    PageState(const PageState&) = delete;
    PageState& operator=(const PageState&) = delete;

    // The index of variable in Vars, defined (with value 0) when it is not yet.
    std::int32_t sweep(std::u16string_view variable)
    {
        TSiVarList& vars = m_parser.Vars;
        m_swept = vars.IndexOf(variable);
        m_sweptExisted = m_swept >= 0;
        if (m_sweptExisted)
            m_sweptBefore = vars.at(m_swept);
        else
            m_swept = vars.Add(SiVarSet(variable, SiZero));
        return m_swept;
    }

private:
    static std::vector<bool> usedMarks(const TSiVarList& list)
    {
        std::vector<bool> marks(static_cast<std::size_t>(list.Count));
        for (std::int32_t i = 0; i < list.Count; ++i)
            marks[static_cast<std::size_t>(i)] = list.at(i).Used;
        return marks;
    }
    static void restoreMarks(TSiVarList& list, const std::vector<bool>& marks)
    {
        list.ClearUsed();
        for (std::size_t i = 0; i < marks.size() && i < static_cast<std::size_t>(list.Count); ++i) {
            if (marks[i])
                list.SetUsed(static_cast<std::int32_t>(i));
        }
    }

    TEFParser& m_parser;
    std::int32_t m_varCount;
    std::u16string m_errMsg;
    std::int32_t m_errPos;
    std::int32_t m_errLen;
    std::vector<bool> m_unitsUsed;
    std::vector<bool> m_varsUsed;
    std::int32_t m_swept = -1;
    bool m_sweptExisted = false;
    TSIVar m_sweptBefore;
};

// Evaluates formula; the message of a failure or raised fault goes to message.
bool evaluate(TEFParser& parser, std::u16string& buffer, std::u16string_view formula,
              TSINumber& result, std::u16string& message)
{
    buffer.assign(formula);
    try {
        if (parser.Evaluate(result, buffer))
            return true;
        message = parser.ErrMsg;
    } catch (const QuorvelError& fault) {
        message = fault.message();
    }
    return false;
}

// The unit a result of x's dimension is shown in with the Used marks as they stand; base units
// when the chosen unit has the value zero (the page would leave such a line as typed).
AxisUnit shownUnit(const TEFParser& parser, const TSINumber& x)
{
    AxisUnit unit;
    try {
        ShownUnit(parser.Units, x, unit.divisor, unit.name);
    } catch (const QuorvelError&) {
        unit = {SiUnitToStr(x), 1.0};
    }
    return unit;
}

std::u16string dimensionText(const TSINumber& x)
{
    const std::u16string text = SiUnitToStr(x);
    return text.empty() ? std::u16string(u"ohne Einheit") : text;
}

TSINumber boundary(TEFParser& parser, std::u16string& buffer, std::u16string_view text,
                   std::u16string_view field)
{
    TSINumber value;
    std::u16string message;
    if (Trim(text).empty())
        throw QuorvelError(u"F\u00FCr " + quoted(field) + u" fehlt ein Wert.");
    if (!evaluate(parser, buffer, text, value, message))
        throw QuorvelError(u"Der Wert " + quoted(Trim(text)) + u" f\u00FCr " + quoted(field) +
                           u" l\u00E4sst sich nicht berechnen: " + message);
    return value;
}

void checkVariable(TEFParser& parser, const DiagramRequest& request)
{
    if (Trim(request.variable).empty())
        throw QuorvelError(u"Keine Variable angegeben.");
    std::vector<std::u16string> all;
    for (const CurveRequest& curve : request.curves) {
        for (std::u16string& name : FormulaVariables(parser, curve.formula)) {
            if (name == request.variable)
                return;
            if (std::find(all.begin(), all.end(), name) == all.end())
                all.push_back(std::move(name));
        }
    }
    std::u16string message = quoted(request.variable) + u" ist keine Variable " +
                             (request.curves.size() == 1 ? u"der Formel " : u"der Formeln ");
    for (const CurveRequest& curve : request.curves) {
        if (&curve != &request.curves.front())
            message += u", ";
        message += quoted(RemoveChar(Trim(curve.formula), u' '));
    }
    if (all.empty()) {
        message += u"; sie enth\u00E4lt keine Variablen.";
    } else {
        message += u" (Variablen: ";
        for (const std::u16string& name : all) {
            if (&name != &all.front())
                message += u", ";
            message += name;
        }
        message += u").";
    }
    throw QuorvelError(std::move(message));
}

// n points from a to b, evenly spaced, each the double nearest to a decimal six digits finer
// than the step: 0.1 to 0.3 in 201 points gives 0.101, not 0.10099999999999999, in the CSV and
// in the notes, and the formula is evaluated at exactly the value shown.
std::vector<double> axisPoints(double a, double b, std::size_t n)
{
    static constexpr std::array<double, 23> kPowers = {
        1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    constexpr double kExactIntegers = 9007199254740992.0; // 2^53
    const double span = b - a;
    const double step = std::fabs(span) / static_cast<double>(n - 1);
    const int decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(step))) + 6, 0, 22);
    const double scale = kPowers[static_cast<std::size_t>(decimals)];
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i) {
        double v = a + span * static_cast<double>(i) / static_cast<double>(n - 1);
        const double scaled = v * scale;
        if (std::fabs(scaled) < kExactIntegers)
            v = std::nearbyint(scaled) / scale;
        x[i] = v;
    }
    x.front() = a;
    x.back() = b;
    return x;
}

struct CurveDimension
{
    bool known = false;
    TSINumber quantity; // its exponents; the value is that of the first point
    AxisUnit unit;
};

} // namespace

std::u16string AxisTitle(std::u16string_view name, const AxisUnit& unit)
{
    std::u16string title(name);
    if (!unit.name.empty())
        title += u" [" + unit.name + u"]";
    return title;
}

DiagramData SampleDiagram(TEFParser& parser, const DiagramRequest& request)
{
    if (request.curves.empty())
        throw QuorvelError(u"Keine Formel angegeben.");
    for (const CurveRequest& curve : request.curves) {
        if (Trim(curve.formula).empty())
            throw QuorvelError(u"Eine der Formeln ist leer.");
    }
    if (request.points < kMinDiagramPoints || request.points > kMaxDiagramPoints)
        throw QuorvelError(u"Die Anzahl der Punkte muss zwischen " + number(kMinDiagramPoints) +
                           u" und " + number(kMaxDiagramPoints) + u" liegen.");
    checkVariable(parser, request);

    PageState page(parser);
    std::u16string buffer;

    // The x axis is shown in the units "from" and "to" were typed in, as the page would show
    // them.
    parser.Units.ClearUsed();
    const TSINumber from = boundary(parser, buffer, request.from, u"von");
    const TSINumber to = boundary(parser, buffer, request.to, u"bis");
    if (!SiSameUnit(from, to))
        throw QuorvelError(quoted(u"von") + u" (" + dimensionText(from) + u") und " +
                           quoted(u"bis") + u" (" + dimensionText(to) +
                           u") haben verschiedene Dimensionen.");
    const std::int32_t existing = parser.Vars.IndexOf(request.variable);
    if (existing >= 0 && !SiSameUnit(from, parser.Vars.at(existing).Quantity))
        throw QuorvelError(quoted(u"von") + u" und " + quoted(u"bis") + u" (" +
                           dimensionText(from) + u") m\u00FCssen die Dimension der Variablen " +
                           request.variable + u" haben (" +
                           dimensionText(parser.Vars.at(existing).Quantity) + u").");
    if (from.Value == to.Value)
        throw QuorvelError(quoted(u"von") + u" und " + quoted(u"bis") +
                           u" sind gleich: der Bereich ist leer.");
    DiagramData data;
    data.variable = request.variable;
    data.xUnit = shownUnit(parser, from);
    if (!std::isfinite(to.Value - from.Value) ||
        !std::isfinite((to.Value - from.Value) / data.xUnit.divisor))
        throw QuorvelError(u"Der Bereich von " + quoted(u"von") + u" bis " + quoted(u"bis") +
                           u" ist zu gro\u00DF.");

    const auto n = static_cast<std::size_t>(request.points);
    data.x = axisPoints(from.Value / data.xUnit.divisor, to.Value / data.xUnit.divisor, n);
    std::vector<double> xs(n); // in SI base units, the ends exactly as typed
    for (std::size_t i = 0; i < n; ++i)
        xs[i] = data.x[i] * data.xUnit.divisor;
    xs.front() = from.Value;
    xs.back() = to.Value;

    const std::int32_t swept = page.sweep(request.variable);
    TSIVar point = SiVarSet(request.variable, from);

    std::vector<CurveDimension> dimensions;
    for (const CurveRequest& asked : request.curves) {
        SampledCurve curve;
        curve.formula = RemoveChar(Trim(asked.formula), u' ');
        curve.values.resize(n);
        CurveDimension dimension;
        parser.Units.ClearUsed(); // the marks the formula leaves choose its unit
        TSINumber result;
        std::u16string message;
        for (std::size_t i = 0; i < n; ++i) {
            point.Quantity.Value = xs[i];
            parser.Vars.SetItem(swept, point);
            bool ok = evaluate(parser, buffer, curve.formula, result, message);
            if (ok && !dimension.known) {
                dimension.known = true;
                dimension.quantity = result;
            } else if (ok && !SiSameUnit(result, dimension.quantity)) {
                // A variable exponent can change the dimension from point to point; one axis
                // shows one dimension.
                message = u"Dimension " + dimensionText(result) + u" statt " +
                          dimensionText(dimension.quantity);
                ok = false;
            }
            if (ok) {
                curve.values[i] = result.Value;
            } else {
                curve.values[i] = kGap;
                if (curve.failed++ == 0) {
                    curve.firstFailure = i;
                    curve.failureMessage = message;
                }
            }
        }
        if (dimension.known) {
            if (!Trim(asked.shownIn).empty()) {
                // As on the page: the units behind the line's "=" choose.
                parser.Units.ClearUsed();
                TSINumber scratch;
                evaluate(parser, buffer, asked.shownIn, scratch, message);
            }
            dimension.unit = shownUnit(parser, dimension.quantity);
        }
        data.curves.push_back(std::move(curve));
        dimensions.push_back(std::move(dimension));
    }

    // One y axis: every curve with values shares the first one's dimension and unit.
    const auto first = std::find_if(dimensions.begin(), dimensions.end(),
                                    [](const CurveDimension& d) { return d.known; });
    if (first != dimensions.end()) {
        const bool mixed = std::any_of(dimensions.begin(), dimensions.end(), [&](const auto& d) {
            return d.known && !SiSameUnit(d.quantity, first->quantity);
        });
        if (mixed) {
            std::u16string message = u"Die Formeln haben verschiedene Dimensionen: ";
            bool firstName = true;
            for (std::size_t c = 0; c < dimensions.size(); ++c) {
                if (!dimensions[c].known)
                    continue;
                if (!firstName)
                    message += u", ";
                firstName = false;
                const std::u16string& unit = dimensions[c].unit.name;
                const std::u16string& label = request.curves[c].label;
                if (!label.empty())
                    message += label + u' ';
                message += quoted(data.curves[c].formula) + u" in " +
                           (unit.empty() ? dimensionText(dimensions[c].quantity) : unit);
            }
            throw QuorvelError(message + u".");
        }
        data.yUnit = first->unit;
    }
    for (SampledCurve& curve : data.curves) {
        for (double& v : curve.values)
            v /= data.yUnit.divisor; // a gap stays a gap
    }
    return data;
}

SweepRange DefaultSweep(TEFParser& parser, std::u16string_view variable)
{
    const std::int32_t i = parser.Vars.IndexOf(variable);
    if (i < 0)
        return {u"0", u"1"};
    const TSINumber present = parser.Vars.at(i).Quantity;
    // The variable's unit whatever marks the last evaluation left: the first of its dimension.
    TSIVar unit;
    std::u16string unitText;
    double divisor = 1.0;
    {
        const PageState page(parser);
        parser.Units.ClearUsed();
        if (FindSameUnit(parser.Units, present, unit) && unit.Quantity.Value != 0.0) {
            unitText = unit.Name;
            divisor = unit.Quantity.Value;
        } else {
            // A composed unit text such as «kg/(ms²)» is no formula; base units joined by "*"
            // and "/" are: «kg/m/s²».
            constexpr BaseUnit kTextOrder[] = {KG, M, S, KELVIN, AMPERE, MOL, CD};
            for (const bool positive : {true, false}) {
                for (const BaseUnit b : kTextOrder) {
                    const std::int32_t e = present.Exponents[b];
                    if (e == 0 || (e > 0) != positive)
                        continue;
                    unitText += positive ? u"*" : u"/";
                    unitText += parser.Units.at(static_cast<std::int32_t>(b) + 1).Name;
                    unitText += ExponentStr(positive ? e : WrapSub(0, e));
                }
            }
        }
    }
    const double shown = present.Value / divisor;
    return {u"0" + unitText, ShortestText(shown == 0.0 ? 1.0 : 2.0 * shown) + unitText};
}

} // namespace quorvel
