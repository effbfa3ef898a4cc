// SPDX-License-Identifier: GPL-3.0-or-later
// Sampling a diagram's formulas on a copy of the page's evaluator.
#include "engine/diagram/sampling.h"

#include "engine/base/quorvel_error.h"
#include "engine/base/text_helpers.h"
#include "engine/diagram/axis_numbers.h"
#include "engine/formula/formula_names.h"
#include "engine/quantity/quantity_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <future>
#include <limits>
#include <system_error>
#include <thread>
#include <utility>

namespace quorvel {
namespace {

constexpr double kGap = std::numeric_limits<double>::quiet_NaN();
// Below this many points a curve's share of a thread is too small to pay for the copy of the
// evaluator the thread samples on.
constexpr std::size_t kPointsPerThread = 50'000;
constexpr std::size_t kMostThreads = 8;

// The base units in the order unit texts name them.
constexpr std::array<BaseUnit, BaseUnitCount> kTextOrder = {KG, M, S, KELVIN, AMPERE, MOL, CD};

std::u16string quoted(std::u16string_view text)
{
    // Appended piece by piece: GCC 12 warns about `literal + string` here at -O3, falsely.
    std::u16string q;
    q.reserve(text.size() + 2);
    q += u'\u201E';
    q += text;
    q += u'\u201C';
    return q;
}

std::u16string number(std::int64_t n)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    return {digits, end};
}

// Runs one of the parser's evaluations; the message of a failure or raised fault goes to
// message.
template <typename Evaluation>
bool attempt(TEFParser& parser, std::u16string& message, Evaluation evaluation)
{
    try {
        if (evaluation())
            return true;
        message = parser.ErrMsg;
    } catch (const QuorvelError& fault) {
        message = fault.message();
    }
    return false;
}

// Evaluates formula as typed.
bool evaluate(TEFParser& parser, std::u16string& buffer, std::u16string_view formula,
              TSINumber& result, std::u16string& message)
{
    buffer.assign(formula);
    return attempt(parser, message, [&] { return parser.Evaluate(result, buffer); });
}

// The same for a curve's formula, which is trimmed and free of blanks already: read where it
// lies, a million times over without a copy.
bool evaluatePrepared(TEFParser& parser, std::u16string_view formula, TSINumber& result,
                      std::u16string& message)
{
    return attempt(parser, message, [&] { return parser.EvaluatePrepared(result, formula); });
}

// A unit composed of base dimensions that cannot be misread on an axis: «m·s²» (not «ms²»,
// which reads as millisecond squared), «1/m» (not «*1/m»), «kg/(m·s²)». name(b) is the unit
// written for base dimension b.
template <typename Name> std::u16string readableUnit(const TSINumber& x, Name name)
{
    std::u16string upper;
    std::u16string lower;
    int below = 0;
    for (const BaseUnit b : kTextOrder) {
        const std::int32_t e = x.Exponents[b];
        if (e == 0)
            continue;
        std::u16string& part = e > 0 ? upper : lower;
        if (!part.empty())
            part += u'\u00B7';
        part += name(b);
        part += ExponentStr(e > 0 ? e : WrapSub(0, e));
        below += e < 0 ? 1 : 0;
    }
    if (below == 0)
        return upper;
    return (upper.empty() ? u"1" : upper) + u"/" + (below > 1 ? u"(" + lower + u")" : lower);
}

// The unit a result of x's dimension is shown in with the Used marks as they stand: a unit of
// the table, or one composed of each base dimension's preferred unit; base units when the
// chosen unit has the value zero (the page would leave such a line as typed).
AxisUnit shownUnit(const TEFParser& parser, const TSINumber& x)
{
    AxisUnit unit;
    TSIVar entry;
    try {
        ShownUnit(parser.Units, x, unit.divisor, unit.name);
        if (!FindSameUnit(parser.Units, x, entry)) {
            unit.name = readableUnit(x, [&](BaseUnit b) {
                TSINumber dimension = SiOne;
                dimension.Exponents[b] = 1;
                FindSameUnit(parser.Units, dimension, entry);
                return entry.Name;
            });
        }
    } catch (const QuorvelError&) {
        unit.name = readableUnit(
            x, [&](BaseUnit b) { return parser.Units.at(static_cast<std::int32_t>(b) + 1).Name; });
        unit.divisor = 1.0;
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

// The curves' formulas as a message names them: quoted, without blanks, separated by commas.
std::u16string formulaList(const std::vector<CurveRequest>& curves)
{
    std::u16string list;
    for (const CurveRequest& curve : curves) {
        if (&curve != &curves.front())
            list += u", ";
        list += quoted(RemoveChar(Trim(curve.formula), u' '));
    }
    return list;
}

void checkVariable(TEFParser& parser, const DiagramRequest& request)
{
    if (Trim(request.variable).empty())
        throw QuorvelError(u"Keine Variable angegeben.");
    const std::vector<std::u16string> all = CurveVariables(parser, request.curves);
    if (std::find(all.begin(), all.end(), request.variable) != all.end())
        return;
    std::u16string message = quoted(request.variable) + u" ist keine Variable";
    if (all.empty()) {
        message += u": " + NoVariableText(request.curves);
    } else {
        message += (request.curves.size() == 1 ? u" der Formel " : u" der Formeln ") +
                   formulaList(request.curves) + u" (Variablen: ";
        for (const std::u16string& name : all) {
            if (&name != &all.front())
                message += u", ";
            message += name;
        }
        message += u").";
    }
    throw QuorvelError(std::move(message));
}

// The index of variable in the parser's variables, defined (with value 0) when it is not yet.
std::int32_t sweep(TEFParser& parser, std::u16string_view variable)
{
    const std::int32_t index = parser.Vars.IndexOf(variable);
    return index >= 0 ? index : parser.Vars.Add(SiVarSet(variable, SiZero));
}

// The dimensions a curve's points came out in, and how many points had each: one axis shows
// one dimension, the one most points have.
class Dimensions
{
public:
    std::int32_t add(const TSINumber& result)
    {
        for (std::size_t k = 0; k < m_kinds.size(); ++k) {
            if (SiSameUnit(m_kinds[k], result)) {
                ++m_counts[k];
                return static_cast<std::int32_t>(k);
            }
        }
        m_kinds.push_back(result);
        m_counts.push_back(1);
        return static_cast<std::int32_t>(m_kinds.size() - 1);
    }
    // The kind most points have, the first seen among equals; -1 when no point has a value.
    std::int32_t majority() const
    {
        if (m_counts.empty())
            return -1;
        return static_cast<std::int32_t>(std::max_element(m_counts.begin(), m_counts.end()) -
                                         m_counts.begin());
    }
    const TSINumber& kind(std::int32_t k) const { return m_kinds[static_cast<std::size_t>(k)]; }
    // Adds the kinds and counts of the points after these; gives each of other's kinds its
    // index here. The kinds stay in the order their first points have.
    std::vector<std::int32_t> merge(const Dimensions& other)
    {
        std::vector<std::int32_t> index(other.m_kinds.size());
        for (std::size_t k = 0; k < other.m_kinds.size(); ++k) {
            index[k] = add(other.m_kinds[k]);
            m_counts[static_cast<std::size_t>(index[k])] += other.m_counts[k] - 1;
        }
        return index;
    }

private:
    std::vector<TSINumber> m_kinds;
    std::vector<std::size_t> m_counts;
};

// A curve's points first..last sampled on one evaluator: the kind of each point's dimension
// (-1: no value) and the first that failed, with the evaluator's message.
struct Stretch
{
    std::size_t first = 0;
    std::size_t last = 0;
    Dimensions kinds;
    std::size_t failed = std::numeric_limits<std::size_t>::max();
    std::u16string message;
};

void sampleStretch(TEFParser& parser, std::int32_t swept, TSIVar point, std::u16string_view formula,
                   const std::vector<double>& xs, Stretch& stretch, std::vector<double>& values,
                   std::vector<std::int32_t>& kindOf)
{
    TSINumber result;
    std::u16string message;
    for (std::size_t i = stretch.first; i < stretch.last; ++i) {
        point.Quantity.Value = xs[i];
        parser.Vars.SetItem(swept, point);
        if (evaluatePrepared(parser, formula, result, message)) {
            kindOf[i] = stretch.kinds.add(result);
            values[i] = result.Value;
        } else {
            kindOf[i] = -1;
            values[i] = kGap;
            if (stretch.failed > i) {
                stretch.failed = i;
                stretch.message = message;
            }
        }
    }
}

// The Used marks another evaluator's formulas left, added to list's: the units they name choose
// how a result is shown.
void addUsedMarks(TSIVarList& list, const TSIVarList& other)
{
    for (std::int32_t i = 0; i < other.Count && i < list.Count; ++i) {
        if (other.at(i).Used && !list.at(i).Used)
            list.SetUsed(i);
    }
}

std::u16string dimensionMessage(const TSINumber& found, const TSINumber& curve)
{
    return u"Dimension " + dimensionText(found) + u" statt " + dimensionText(curve);
}

// v as the double nearest to it in nine significant digits: geometric points read as decimals.
double significant(double v)
{
    char text[32];
    const char* end =
        std::to_chars(text, text + sizeof text, v, std::chars_format::scientific, 8).ptr;
    double rounded = v;
    std::from_chars(text, end, rounded);
    return rounded;
}

} // namespace

std::vector<std::u16string> CurveVariables(TEFParser& parser,
                                           const std::vector<CurveRequest>& curves)
{
    std::vector<std::u16string> all;
    for (const CurveRequest& curve : curves) {
        for (std::u16string& name : FormulaVariables(parser, curve.formula)) {
            if (std::find(all.begin(), all.end(), name) == all.end())
                all.push_back(std::move(name));
        }
    }
    return all;
}

std::u16string NoVariableText(const std::vector<CurveRequest>& curves)
{
    return curves.size() == 1
               ? u"Die Formel " + formulaList(curves) +
                     u" enth\u00E4lt keine Variable, \u00FCber der sie gezeichnet werden "
                     u"k\u00F6nnte."
               : u"Die Formeln " + formulaList(curves) +
                     u" enthalten keine Variable, \u00FCber der sie gezeichnet werden "
                     u"k\u00F6nnten.";
}

std::vector<double> AxisPoints(double a, double b, std::size_t n, AxisScale scale)
{
    std::vector<double> x(n);
    if (n == 0)
        return x;
    if (n == 1) {
        x.front() = a;
        return x;
    }
    const auto fraction = [n](std::size_t i) {
        return static_cast<double>(i) / static_cast<double>(n - 1);
    };
    if (scale == AxisScale::Logarithmic) {
        const double la = std::log(a);
        const double lb = std::log(b);
        for (std::size_t i = 0; i < n; ++i)
            x[i] = significant(std::exp(la + (lb - la) * fraction(i)));
    } else {
        static constexpr std::array<double, 23> kPowers = {
            1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
            1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
        constexpr double kExactIntegers = 9007199254740992.0; // 2^53
        const double span = b - a;
        const double step = std::fabs(span) / static_cast<double>(n - 1);
        const int decimals = std::clamp(static_cast<int>(std::ceil(-std::log10(step))) + 6, 0, 22);
        const double scale10 = kPowers[static_cast<std::size_t>(decimals)];
        for (std::size_t i = 0; i < n; ++i) {
            double v = a + span * fraction(i);
            const double scaled = v * scale10;
            if (std::fabs(scaled) < kExactIntegers)
                v = std::nearbyint(scaled) / scale10;
            x[i] = v;
        }
    }
    x.front() = a;
    x.back() = b;
    return x;
}

std::u16string AxisTitle(std::u16string_view name, const AxisUnit& unit)
{
    std::u16string title(name);
    if (!unit.name.empty())
        title += u" [" + unit.name + u"]";
    return title;
}

const std::u16string& CurveName(const SampledCurve& curve)
{
    return curve.name.empty() ? curve.formula : curve.name;
}

DiagramSource::DiagramSource(TEFParser parser, std::int32_t swept, TSIVar point, double xDivisor,
                             double yDivisor, std::vector<Curve> curves)
    : m_parser(std::move(parser)), m_swept(swept), m_point(std::move(point)), m_xDivisor(xDivisor),
      m_yDivisor(yDivisor), m_curves(std::move(curves))
{
}

double DiagramSource::value(std::size_t c, double x, std::u16string* why)
{
    const Curve& curve = m_curves.at(c);
    m_point.Quantity.Value = x * m_xDivisor;
    m_parser.Vars.SetItem(m_swept, m_point);
    TSINumber result;
    std::u16string message;
    if (!evaluatePrepared(m_parser, curve.formula, result, message)) {
        if (why != nullptr)
            *why = std::move(message);
        return kGap;
    }
    if (!curve.known || !SiSameUnit(result, curve.dimension)) {
        if (why != nullptr)
            *why = dimensionMessage(result, curve.dimension);
        return kGap;
    }
    return result.Value / m_yDivisor;
}

std::vector<CurveLine> DiagramSource::lines(double from, double to, std::int32_t points,
                                            AxisScale xScale, const ValueBand& visible)
{
    const auto n = static_cast<std::size_t>(std::max(points, kMinDiagramPoints));
    const std::vector<double> xs = AxisPoints(from, to, n, xScale);
    std::vector<CurveLine> result;
    result.reserve(m_curves.size());
    std::vector<double> ys(n);
    for (std::size_t c = 0; c < m_curves.size(); ++c) {
        for (std::size_t i = 0; i < n; ++i)
            ys[i] = value(c, xs[i]);
        const std::function<double(double)> f = [this, c](double x) { return value(c, x); };
        result.push_back(
            RefineCurve(xs, ys, visible, xScale == AxisScale::Logarithmic, f, RefinementBudget(n))
                .line);
    }
    return result;
}

std::optional<double> DiagramSource::axisValue(std::u16string_view text, bool y)
{
    if (Trim(text).empty())
        return std::nullopt;
    TSINumber result;
    std::u16string message;
    if (!evaluate(m_parser, m_buffer, text, result, message) || !std::isfinite(result.Value))
        return std::nullopt;
    if (SiSameUnit(result, SiOne))
        return result.Value;
    const auto known =
        std::find_if(m_curves.begin(), m_curves.end(), [](const Curve& c) { return c.known; });
    if (!y && SiSameUnit(result, m_point.Quantity))
        return result.Value / m_xDivisor;
    if (y && known != m_curves.end() && SiSameUnit(result, known->dimension))
        return result.Value / m_yDivisor;
    return std::nullopt;
}

DiagramData SampleDiagram(const TEFParser& page, const DiagramRequest& request)
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
    TEFParser parser = page; // the page stays as it is, its variables and Used marks too
    checkVariable(parser, request);
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
    data.request = request;
    data.variable = request.variable;
    data.xScale = request.xScale;
    data.yScale = request.yScale;
    data.xUnit = shownUnit(parser, from);
    if (!std::isfinite(to.Value - from.Value) ||
        !std::isfinite((to.Value - from.Value) / data.xUnit.divisor))
        throw QuorvelError(u"Der Bereich von " + quoted(u"von") + u" bis " + quoted(u"bis") +
                           u" ist zu gro\u00DF.");
    const double a = from.Value / data.xUnit.divisor;
    const double b = to.Value / data.xUnit.divisor;
    if (request.xScale == AxisScale::Logarithmic && !(a > 0.0 && b > 0.0))
        throw QuorvelError(u"F\u00FCr eine logarithmische x-Achse m\u00FCssen " + quoted(u"von") +
                           u" und " + quoted(u"bis") + u" gr\u00F6\u00DFer als null sein.");

    const auto n = static_cast<std::size_t>(request.points);
    data.x = AxisPoints(a, b, n, request.xScale);
    std::vector<double> xs(n); // in SI base units, the ends exactly as typed
    for (std::size_t i = 0; i < n; ++i)
        xs[i] = data.x[i] * data.xUnit.divisor;
    xs.front() = from.Value;
    xs.back() = to.Value;

    const std::int32_t swept = sweep(parser, request.variable);
    TSIVar point = SiVarSet(request.variable, from);
    // A long request is shared between threads, each with a copy of the evaluator; this one
    // samples the last stretch, so that it ends as if it had sampled every point.
    const std::size_t threads = std::clamp<std::size_t>(
        std::min<std::size_t>(std::thread::hardware_concurrency(), n / kPointsPerThread), 1,
        kMostThreads);
    std::vector<TEFParser> helpers(threads - 1, parser);

    std::vector<DiagramSource::Curve> dimensions;
    std::vector<AxisUnit> units;
    dimensions.reserve(request.curves.size());
    units.reserve(request.curves.size());
    data.curves.reserve(request.curves.size());
    std::vector<std::int32_t> kindOf(n);
    for (const CurveRequest& asked : request.curves) {
        SampledCurve curve;
        curve.formula = RemoveChar(Trim(asked.formula), u' ');
        curve.name = asked.name;
        curve.values.resize(n);
        parser.Units.ClearUsed(); // the marks the formula leaves choose its unit
        std::vector<Stretch> stretches(threads);
        for (std::size_t t = 0; t < threads; ++t) {
            stretches[t].first = n * t / threads;
            stretches[t].last = n * (t + 1) / threads;
        }
        std::vector<std::future<void>> running;
        for (std::size_t t = 0; t + 1 < threads; ++t) {
            helpers[t].Units.ClearUsed();
            const auto sampleOne = [&, t] {
                sampleStretch(helpers[t], swept, point, curve.formula, xs, stretches[t],
                              curve.values, kindOf);
            };
            try {
                running.push_back(std::async(std::launch::async, sampleOne));
            } catch (const std::system_error&) {
                sampleOne(); // no thread to be had: this one samples the stretch too
            }
        }
        sampleStretch(parser, swept, point, curve.formula, xs, stretches.back(), curve.values,
                      kindOf);
        for (std::future<void>& stretch : running)
            stretch.get();
        Dimensions kinds;
        std::size_t firstFailed = n; // the first point whose evaluation failed
        for (std::size_t t = 0; t < threads; ++t) {
            const Stretch& stretch = stretches[t];
            const std::vector<std::int32_t> index = kinds.merge(stretch.kinds);
            if (t > 0) { // the first stretch's kinds are the first here
                for (std::size_t i = stretch.first; i < stretch.last; ++i) {
                    if (kindOf[i] >= 0)
                        kindOf[i] = index[static_cast<std::size_t>(kindOf[i])];
                }
            }
            if (firstFailed == n && stretch.failed < n) {
                firstFailed = stretch.failed;
                curve.failureMessage = stretch.message;
            }
            if (t + 1 < threads) {
                addUsedMarks(parser.Units, helpers[t].Units);
                addUsedMarks(parser.Vars, helpers[t].Vars);
            }
        }
        std::u16string message;
        DiagramSource::Curve dimension{curve.formula, {}, false};
        const std::int32_t majority = kinds.majority();
        if (majority >= 0) {
            dimension = {curve.formula, kinds.kind(majority), true};
            // A variable exponent can change the dimension from point to point; one axis
            // shows one, and the points of another are gaps.
            for (std::size_t i = 0; i < n; ++i) {
                if (kindOf[i] < 0 || kindOf[i] == majority)
                    continue;
                curve.values[i] = kGap;
                if (i < firstFailed) {
                    firstFailed = i;
                    curve.failureMessage =
                        dimensionMessage(kinds.kind(kindOf[i]), dimension.dimension);
                }
            }
        }
        curve.failed = static_cast<std::int32_t>(
            std::count_if(curve.values.begin(), curve.values.end(), IsGap));
        curve.firstFailure = firstFailed < n ? firstFailed : 0;
        AxisUnit unit;
        if (dimension.known) {
            if (!Trim(asked.shownIn).empty()) {
                // As on the page: the units behind the line's "=" choose.
                parser.Units.ClearUsed();
                TSINumber scratch;
                evaluate(parser, buffer, asked.shownIn, scratch, message);
            }
            unit = shownUnit(parser, dimension.dimension);
        }
        data.curves.push_back(std::move(curve));
        dimensions.push_back(std::move(dimension));
        units.push_back(std::move(unit));
    }

    // One y axis: every curve with values shares the first one's dimension and unit.
    const auto first = std::find_if(dimensions.begin(), dimensions.end(),
                                    [](const DiagramSource::Curve& d) { return d.known; });
    if (first != dimensions.end()) {
        const bool mixed = std::any_of(dimensions.begin(), dimensions.end(), [&](const auto& d) {
            return d.known && !SiSameUnit(d.dimension, first->dimension);
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
                const std::u16string& unit = units[c].name;
                const std::u16string& label = request.curves[c].label;
                if (!label.empty())
                    message += label + u' ';
                message += quoted(data.curves[c].formula) + u" in " +
                           (unit.empty() ? dimensionText(dimensions[c].dimension) : unit);
            }
            throw QuorvelError(message + u".");
        }
        data.yUnit = units[static_cast<std::size_t>(first - dimensions.begin())];
    }
    for (std::size_t c = 0; c < data.curves.size(); ++c) {
        SampledCurve& curve = data.curves[c];
        curve.unit = dimensions[c].known ? units[c] : data.yUnit;
        for (double& v : curve.values)
            v /= data.yUnit.divisor; // a gap stays a gap
    }

    data.source =
        std::make_shared<DiagramSource>(std::move(parser), swept, point, data.xUnit.divisor,
                                        data.yUnit.divisor, std::move(dimensions));
    const bool geometric = request.xScale == AxisScale::Logarithmic;
    for (std::size_t c = 0; c < data.curves.size(); ++c) {
        SampledCurve& curve = data.curves[c];
        const std::function<double(double)> f = [&data, c](double x) {
            return data.source->value(c, x);
        };
        RefinedLine refined = RefineCurve(data.x, curve.values, BulkBand(curve.values), geometric,
                                          f, RefinementBudget(n));
        curve.line = std::move(refined.line);
        curve.poles = refined.poles;
    }
    return data;
}

SweepRange DefaultSweep(const TEFParser& page, std::u16string_view variable)
{
    const std::int32_t i = page.Vars.IndexOf(variable);
    if (i < 0)
        return {u"0", u"1"};
    TEFParser parser = page; // its Used marks are cleared below; the page's stay
    const TSINumber present = parser.Vars.at(i).Quantity;
    // The variable's unit whatever marks the last evaluation left: the first of its dimension.
    TSIVar unit;
    std::u16string unitText;
    double divisor = 1.0;
    parser.Units.ClearUsed();
    if (FindSameUnit(parser.Units, present, unit) && unit.Quantity.Value != 0.0) {
        unitText = unit.Name;
        divisor = unit.Quantity.Value;
    } else {
        // A composed unit text such as «kg/(ms²)» is no formula; base units joined by "*"
        // and "/" are: «kg/m/s²».
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
    const double shown = present.Value / divisor;
    return {u"0" + unitText, ShortestText(shown == 0.0 ? 1.0 : 2.0 * shown) + unitText};
}

} // namespace quorvel
