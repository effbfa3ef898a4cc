// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/engine/diagram/diagram_fixture.h"

#include "engine/base/text_encoding.h"
#include "engine/diagram/diagram_layout.h"

#include <cmath>

namespace quorvel::testing {
namespace {

std::string text(std::u16string_view t)
{
    return EncodeUtf8(t);
}

TEST_F(DiagramTest, ValuesInTheUnitsThePageWouldShow)
{
    page({u"v = 3m/s"});
    DiagramData d = sample({u"v * t"}, u"t", u"0s", u"10s", 11);
    EXPECT_EQ(d.variable, u"t");
    EXPECT_EQ(d.xUnit.name, u"s");
    EXPECT_EQ(d.yUnit.name, u"m");
    ASSERT_EQ(d.x.size(), 11u);
    ASSERT_EQ(d.curves.size(), 1u);
    EXPECT_EQ(d.curves[0].formula, u"v*t");
    EXPECT_EQ(d.curves[0].failed, 0);
    for (std::size_t i = 0; i <= 10; ++i) {
        EXPECT_EQ(d.x[i], static_cast<double>(i));
        EXPECT_DOUBLE_EQ(d.curves[0].values[i], 3.0 * static_cast<double>(i));
    }

    // The x axis in the unit "from" and "to" were typed in; the y axis in the units the formula
    // names (km and h are Used, so a length is shown in km).
    d = sample({u"t*90km/h"}, u"t", u"0min", u"20min", 3);
    EXPECT_EQ(d.xUnit.name, u"min");
    EXPECT_EQ(d.x, (std::vector<double>{0, 10, 20}));
    EXPECT_EQ(d.yUnit.name, u"km");
    EXPECT_DOUBLE_EQ(d.curves[0].values[2], 30.0);

    // As on the line «v*t = 0km», the old result's units choose.
    DiagramRequest request{{{u"v*t", u"0km", {}, {}}}, u"t", u"0s", u"1000s", 2};
    d = SampleDiagram(parser, request);
    EXPECT_EQ(d.yUnit.name, u"km");
    EXPECT_DOUBLE_EQ(d.curves[0].values[1], 3.0);

    // Dimensionless axes have no unit; the last point is "to" exactly.
    d = sample({u"x\u00B2"}, u"x", u"0.1", u"0.3", 3);
    EXPECT_EQ(d.xUnit.name, u"");
    EXPECT_EQ(d.yUnit.name, u"");
    EXPECT_EQ(d.x.back(), 0.3);
    EXPECT_EQ(AxisTitle(u"x", d.xUnit), u"x");
    // The points are the decimals they look like, not 0.10300000000000001.
    d = sample({u"x"}, u"x", u"0.1", u"0.3", 201);
    for (std::size_t i = 0; i < d.x.size(); ++i) {
        EXPECT_EQ(d.x[i], (100.0 + static_cast<double>(i)) / 1000.0) << i;
        EXPECT_EQ(d.curves[0].values[i], d.x[i]) << "evaluated where it is shown";
    }
    d = sample({u"x"}, u"x", u"0.1km", u"0.3km", 3);
    EXPECT_EQ(d.x, (std::vector<double>{0.1, 0.2, 0.3}));
    d = sample({u"x"}, u"x", u"0", u"1", 7);
    EXPECT_EQ(d.x[1], 0.1666667) << "a step without a short decimal: seven digits";
    EXPECT_EQ(AxisTitle(u"v*t", {u"m", 1.0}), u"v*t [m]");

    // Several curves share the first one's unit.
    d = sample({u"v*t", u"v*t/2+1km"}, u"t", u"0s", u"10s", 2);
    EXPECT_EQ(d.yUnit.name, u"m");
    EXPECT_DOUBLE_EQ(d.curves[1].values[1], 1015.0);
}

TEST_F(DiagramTest, FailingPointsAreCountedGaps)
{
    page({u"a = 2"});
    DiagramData d = sample({u"a/(x-1)"}, u"x", u"-2", u"4", 7);
    const std::vector<double>& v = d.curves[0].values;
    EXPECT_EQ(d.curves[0].failed, 1);
    EXPECT_TRUE(IsGap(v[3])) << "x = 1";
    EXPECT_EQ(d.curves[0].firstFailure, 3u);
    EXPECT_EQ(d.curves[0].failureMessage, u"Division by zero in SiDiv");
    EXPECT_DOUBLE_EQ(v[0], -2.0 / 3.0);
    EXPECT_DOUBLE_EQ(v[4], 2.0);

    d = sample({u"SQRT(x)", u"x+1m", u"LN(x)"}, u"x", u"-1", u"1", 3);
    EXPECT_EQ(d.curves[0].failed, 1);
    EXPECT_EQ(d.curves[0].failureMessage, u"Invalid floating point operation");
    EXPECT_EQ(d.curves[1].failed, 3) << "a curve without values does not decide the unit";
    EXPECT_EQ(d.curves[1].failureMessage, u"unit confilct");
    EXPECT_EQ(d.curves[2].failed, 2);
    EXPECT_EQ(d.curves[2].firstFailure, 0u);

    // A variable exponent changes the dimension: one axis shows one, the rest are gaps.
    d = sample({u"1m^n"}, u"n", u"1", u"2", 2);
    EXPECT_EQ(d.curves[0].failed, 1);
    EXPECT_EQ(d.curves[0].failureMessage, u"Dimension m\u00B2 statt m");
    // The one most points have, not the first point's.
    d = sample({u"1m^TRUNC(n)"}, u"n", u"0.9", u"1.8", 4);
    EXPECT_EQ(d.yUnit.name, u"m");
    EXPECT_EQ(d.curves[0].failed, 1);
    EXPECT_EQ(d.curves[0].firstFailure, 0u);
    EXPECT_EQ(d.curves[0].failureMessage, u"Dimension ohne Einheit statt m");
    EXPECT_EQ(d.curves[0].values[3], 1.0);
    // Long requests are sampled in stretches, on several threads where there are several: the
    // dimensions count over all of them, a tie goes to the one seen first (m before m², which
    // only the later stretch has), the first failure is the first point's.
    d = sample({u"1m^TRUNC(n)"}, u"n", u"0.5", u"3.5", 300001);
    EXPECT_EQ(d.yUnit.name, u"m");
    EXPECT_EQ(d.curves[0].failed, 200001);
    EXPECT_EQ(d.curves[0].firstFailure, 0u);
    EXPECT_EQ(d.curves[0].failureMessage, u"Dimension ohne Einheit statt m");
    EXPECT_TRUE(IsGap(d.curves[0].values[49999]));
    EXPECT_EQ(d.curves[0].values[50000], 1.0);
    EXPECT_TRUE(IsGap(d.curves[0].values[150000]));
}

TEST_F(DiagramTest, AxisUnitsAndNamesCannotBeMisread)
{
    page({u"a = 2m", u"x = 1m"});
    EXPECT_EQ(sample({u"1/x"}, u"x", u"1m", u"2m", 2).yUnit.name, u"1/m");
    EXPECT_EQ(sample({u"a*t\u00B2"}, u"t", u"0s", u"1s", 2).yUnit.name, u"m\u00B7s\u00B2")
        << "not «ms²», a millisecond squared";
    EXPECT_EQ(sample({u"x/(t*1K)"}, u"t", u"1s", u"2s", 2).yUnit.name, u"m/(s\u00B7K)");
    EXPECT_EQ(sample({u"x*1N"}, u"x", u"1m", u"2m", 2).yUnit.name, u"J") << "a unit of the table";

    // A line that assigns names its curve.
    DiagramRequest request = DiagramRequestFor({u"a*t", u"2*a*t", u"3*a*t"}, u"t", u"0s", u"1s", 2);
    for (std::size_t c = 0; c < 3; ++c)
        request.curves[c].name = u"z" + std::u16string(1, static_cast<char16_t>(u'1' + c));
    DiagramData d = SampleDiagram(parser, request);
    EXPECT_EQ(YAxisTitle(d), u"z1, z2, z3 [m\u00B7s]");
    EXPECT_EQ(CurveName(d.curves[1]), u"z2");
    EXPECT_EQ(d.curves[1].formula, u"2*a*t");
}

TEST_F(DiagramTest, LogarithmicXAxesSpaceThePointsGeometrically)
{
    DiagramRequest request = DiagramRequestFor({u"1/f"}, u"f", u"1", u"1000", 4);
    request.xScale = AxisScale::Logarithmic;
    DiagramData d = SampleDiagram(parser, request);
    EXPECT_EQ(d.x, (std::vector<double>{1, 10, 100, 1000}));
    EXPECT_EQ(d.xScale, AxisScale::Logarithmic);
    EXPECT_TRUE(d.request == request) << "kept with the diagram, to sample it again";
    EXPECT_DOUBLE_EQ(d.curves[0].values[2], 0.01);
    request.from = u"0";
    try {
        SampleDiagram(parser, request);
        ADD_FAILURE() << "drawn";
    } catch (const QuorvelError& e) {
        EXPECT_EQ(text(e.message()), "F\u00FCr eine logarithmische x-Achse m\u00FCssen "
                                     "\u201Evon\u201C und \u201Ebis\u201C gr\u00F6\u00DFer "
                                     "als null sein.");
    }
}

TEST_F(DiagramTest, TypedRangesAreQuantitiesInTheAxisUnits)
{
    page({u"v = 3m/s", u"t0 = 2s"});
    const DiagramData d = sample({u"v*t"}, u"t", u"0min", u"1min", 3);
    EXPECT_EQ(d.source->axisValue(u"3", false), 3.0) << "a number in the axis's unit";
    EXPECT_EQ(d.source->axisValue(u"30s", false), 0.5);
    EXPECT_EQ(d.source->axisValue(u"2*t0", false), 4.0 / 60.0);
    EXPECT_EQ(d.source->axisValue(u"2km", true), 2000.0);
    EXPECT_EQ(d.source->axisValue(u"2km", false), std::nullopt) << "another dimension";
    EXPECT_EQ(d.source->axisValue(u"zwei", false), std::nullopt);
}

TEST_F(DiagramTest, RequestsThatCannotBeDrawnAreRefusedClearly)
{
    page({u"v = 3m/s", u"t = 5s"});
    const std::pair<std::u16string, std::string> cases[] = {
        {refusal({u"v*t"}, u"t", u"0s", u"10m"),
         "\u201Evon\u201C (s) und \u201Ebis\u201C (m) haben verschiedene Dimensionen."},
        {refusal({u"v*t"}, u"t", u"0m", u"10m"),
         "\u201Evon\u201C und \u201Ebis\u201C (m) m\u00FCssen die Dimension der Variablen t "
         "haben (s)."},
        {refusal({u"v*t"}, u"T", u"0s", u"10s"),
         "\u201ET\u201C ist keine Variable der Formel \u201Ev*t\u201C (Variablen: v, t)."},
        {refusal({u"3m", u"4m"}, u"m", u"0s", u"10s"),
         "\u201Em\u201C ist keine Variable: Die Formeln \u201E3m\u201C, \u201E4m\u201C "
         "enthalten keine Variable, \u00FCber der sie gezeichnet werden k\u00F6nnten."},
        {refusal({u"v*t", u"v"}, u"t", u"0s", u"10s"),
         "Die Formeln haben verschiedene Dimensionen: \u201Ev*t\u201C in m, \u201Ev\u201C in "
         "m/s."},
        {refusal({u"v*t"}, u"t", u"0s", u"10s", 1),
         "Die Anzahl der Punkte muss zwischen 2 und 1000000 liegen."},
        {refusal({u"v*t"}, u"t", u"0s", u"10s", 1000001),
         "Die Anzahl der Punkte muss zwischen 2 und 1000000 liegen."},
        {refusal({u"v*t"}, u"t", u"5s", u"5s"),
         "\u201Evon\u201C und \u201Ebis\u201C sind gleich: der Bereich ist leer."},
        {refusal({u"v*t"}, u"t", u"0s", u"1s*q"),
         "Der Wert \u201E1s*q\u201C f\u00FCr \u201Ebis\u201C l\u00E4sst sich nicht berechnen: "
         "Variable not found"},
        {refusal({u"v*t"}, u"t", u"1/0", u"1s"),
         "Der Wert \u201E1/0\u201C f\u00FCr \u201Evon\u201C l\u00E4sst sich nicht berechnen: "
         "Division by zero in SiDiv"},
        {refusal({u"v*t"}, u"t", u" ", u"1s"), "F\u00FCr \u201Evon\u201C fehlt ein Wert."},
        {refusal({u"x"}, u"x", u"-1E308", u"1E308"),
         "Der Bereich von \u201Evon\u201C bis \u201Ebis\u201C ist zu gro\u00DF."},
        {refusal({}, u"t", u"0s", u"1s"), "Keine Formel angegeben."},
        {refusal({u"v*t"}, u"", u"0s", u"1s"), "Keine Variable angegeben."},
    };
    for (const auto& [message, expected] : cases)
        EXPECT_EQ(text(message), expected);

    // The window names the lines the formulas come from.
    const DiagramRequest lines{
        {{u"v*t", {}, u"Zeile 3", {}}, {u"v", {}, u"Zeile 5", {}}}, u"t", u"0s", u"1s", 2};
    try {
        SampleDiagram(parser, lines);
        ADD_FAILURE() << "drawn";
    } catch (const QuorvelError& e) {
        EXPECT_EQ(text(e.message()), "Die Formeln haben verschiedene Dimensionen: Zeile 3 "
                                     "\u201Ev*t\u201C in m, Zeile 5 \u201Ev\u201C in m/s.");
    }
}

TEST_F(DiagramTest, ThePageIsAsItWasAfterwards)
{
    page({u"v = 3m/s", u"t = 5s", u"2km+v*1h"});
    const auto marks = [this] {
        std::vector<bool> used;
        for (std::int32_t i = 0; i < parser.Units.Count; ++i)
            used.push_back(parser.Units.at(i).Used);
        for (std::int32_t i = 0; i < parser.Vars.Count; ++i)
            used.push_back(parser.Vars.at(i).Used);
        return used;
    };
    const std::vector<bool> before = marks();
    const std::int32_t vars = parser.Vars.Count;
    parser.ErrMsg = u"unit confilct";
    parser.ErrPos = 4;
    parser.ErrLen = 1;

    sample({u"v*t/1mm"}, u"t", u"0min", u"1min", 5);                    // t defined
    sample({u"v*u"}, u"u", u"0s", u"1s", 5);                            // u not defined
    EXPECT_NE(refusal({u"v*t", u"v"}, u"t", u"0s", u"1s"), u"(drawn)"); // raises after sampling
    EXPECT_NE(refusal({u"v*u", u"v"}, u"u", u"0s", u"1s"), u"(drawn)");

    EXPECT_EQ(parser.Vars.Count, vars);
    EXPECT_EQ(parser.Vars.IndexOf(u"u"), -1) << "a variable the diagram defined is gone";
    EXPECT_EQ(parser.Vars.at(parser.Vars.IndexOf(u"t")).Quantity.Value, 5.0);
    EXPECT_EQ(marks(), before) << "Used marks of units and variables";
    EXPECT_EQ(parser.ErrMsg, u"unit confilct");
    EXPECT_EQ(parser.ErrPos, 4);
    EXPECT_EQ(parser.ErrLen, 1);
    EXPECT_EQ(evaluator.EvalSheetLine(u"x = u", 0).text, u"x = u = Variable not found");
    EXPECT_EQ(evaluator.EvalSheetLine(u"w = 1", 0).text, u"w = 1") << "the table still works";
    EXPECT_EQ(parser.Vars.IndexOf(u"w"), vars);
}

TEST_F(DiagramTest, DefaultSweepIsZeroToTwiceThePresentValue)
{
    page({u"t = 5s", u"d = 2km", u"z = 0m", u"n = -1.5", u"k = 3m/s"});
    const auto sweep = [this](std::u16string_view name) {
        const SweepRange r = DefaultSweep(parser, name);
        return text(r.from) + " .. " + text(r.to);
    };
    EXPECT_EQ(sweep(u"t"), "0s .. 10s");
    EXPECT_EQ(sweep(u"d"), "0m .. 4000m") << "the first unit of the dimension, whatever is Used";
    EXPECT_EQ(sweep(u"z"), "0m .. 1m");
    EXPECT_EQ(sweep(u"n"), "0 .. -3");
    EXPECT_EQ(sweep(u"neu"), "0 .. 1");
    EXPECT_EQ(sweep(u"PU"), "0Pa .. 202600Pa");
    EXPECT_EQ(sweep(u"k"), "0*m/s .. 6*m/s") << "no unit of its own: a formula of base units";

    // What it offers reads back.
    const SweepRange speed = DefaultSweep(parser, u"k");
    const DiagramData d = sample({u"k*2s"}, u"k", speed.from, speed.to, 2);
    EXPECT_DOUBLE_EQ(d.curves[0].values[1], 12.0);
}

} // namespace
} // namespace quorvel::testing
