// SPDX-License-Identifier: GPL-3.0-or-later
// Curves that run into poles, jump, or only seem to vary: sampled again where they jump, broken
// where they diverge, with a y range that shows the bulk of their values, and read off at any x
// with the formula's own value.
#include "tests/engine/diagram/diagram_fixture.h"

#include "engine/diagram/axis_ranges.h"
#include "engine/diagram/diagram_layout.h"
#include "engine/diagram/readout.h"

#include <numbers>

namespace quorvel::testing {
namespace {

constexpr double kPi = std::numbers::pi;

// No stroke of the line joins two values across x = pole.
bool brokenAt(const CurveLine& line, double pole)
{
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        const LinePoint a = line[i];
        const LinePoint b = line[i + 1];
        if (!IsGap(a.y) && !IsGap(b.y) && std::min(a.x, b.x) < pole && std::max(a.x, b.x) > pole)
            return false;
    }
    return true;
}

bool hasBreak(const CurveLine& line)
{
    return std::any_of(line.begin(), line.end(), [](LinePoint p) { return IsGap(p.y); });
}

// The largest value the line reaches within d of x.
double reachNear(const CurveLine& line, double x, double d)
{
    double most = 0.0;
    for (const LinePoint p : line) {
        if (!IsGap(p.y) && std::fabs(p.x - x) < d)
            most = std::max(most, std::fabs(p.y));
    }
    return most;
}

std::size_t curveItems(const Picture& picture)
{
    return static_cast<std::size_t>(
        std::count_if(picture.items.begin(), picture.items.end(), [](const PictureItem& item) {
            const auto* line = std::get_if<PolylineItem>(&item);
            return line != nullptr && line->role == ItemRole::Curve;
        }));
}

TEST_F(DiagramTest, PolesAreBreaksNotStrokes)
{
    const DiagramData tan = sample({u"TAN(x)"}, u"x", u"-5", u"5", 200);
    const CurveLine& line = tan.curves[0].line;
    EXPECT_EQ(tan.curves[0].poles, 4);
    EXPECT_EQ(tan.curves[0].failed, 0);
    for (const double pole : {-1.5 * kPi, -0.5 * kPi, 0.5 * kPi, 1.5 * kPi}) {
        EXPECT_TRUE(brokenAt(line, pole)) << pole;
        EXPECT_GT(reachNear(line, pole, 0.01), 1000.0) << "sampled up to the pole " << pole;
    }
    EXPECT_EQ(curveItems(LayoutDiagram(tan).picture), 5u) << "a stretch between the poles each";

    // The y axis shows the bulk, the branches leave it at its edges.
    const AxisRange y = FullYRange(tan);
    EXPECT_GT(y.max, 5.0);
    EXPECT_LT(y.max, 50.0);
    EXPECT_LT(y.min, -5.0);
    EXPECT_GT(y.min, -50.0);

    const DiagramData reciprocal = sample({u"1/x"}, u"x", u"-1m", u"1m", 200);
    EXPECT_TRUE(brokenAt(reciprocal.curves[0].line, 0.0));
    EXPECT_EQ(reciprocal.curves[0].poles, 1);
    EXPECT_EQ(reciprocal.yUnit.name, u"1/m");
    EXPECT_EQ(curveItems(LayoutDiagram(reciprocal).picture), 2u);

    // A pole a point lands on (tan of 90 degrees is 1.6e16): it does not flatten the rest.
    page({u"w = 1"});
    const DiagramData degrees = sample({u"TANR(w)"}, u"w", u"0", u"360", 201);
    EXPECT_LT(FullYRange(degrees).max, 100.0);
    EXPECT_GT(FullYRange(degrees).min, -100.0);
}

TEST_F(DiagramTest, StepsBreakAndSteepSlopesStayJoined)
{
    // Continuous, if steep near 0: sampled more closely, never broken.
    DiagramData d = sample({u"x/SQRT(x\u00B2+1E-6)"}, u"x", u"-1", u"1", 201);
    EXPECT_FALSE(hasBreak(d.curves[0].line));
    EXPECT_GT(d.curves[0].line.size(), 201u) << "points between, where it turns";
    // A step: broken, but no pole, so the axis shows all of it.
    d = sample({u"SIGN(x)"}, u"x", u"-1", u"1.1", 12);
    EXPECT_TRUE(hasBreak(d.curves[0].line));
    EXPECT_TRUE(brokenAt(d.curves[0].line, 0.0));
    EXPECT_EQ(d.curves[0].poles, 0);
}

TEST_F(DiagramTest, ValuesConstantButForRoundingAreAFlatLine)
{
    page({u"L = 2.5m"});
    for (const auto& [formula, level, unit] :
         {std::tuple<std::u16string, double, std::u16string>{u"(x+L)-x", 2.5, u"m"},
          {u"SIN(x)^2+COS(x)^2", 1.0, u""}}) {
        const DiagramData d = sample({formula}, u"x", u"0" + unit, u"10" + unit, 201);
        EXPECT_EQ(d.curves[0].line.size(), 201u) << "nothing to refine in rounding noise";
        const AxisRange y = FullYRange(d);
        EXPECT_DOUBLE_EQ(y.min, level * 0.9);
        EXPECT_DOUBLE_EQ(y.max, level * 1.1);
        const DiagramLayout l = LayoutDiagram(d);
        EXPECT_EQ(curveItems(l.picture), 1u);
    }
}

TEST_F(DiagramTest, ZoomSamplesTheVisibleRangeAgain)
{
    const DiagramData tan = sample({u"TAN(x)"}, u"x", u"-5", u"5", 200);
    // Zoomed into the pole near 1.5708: between two of the diagram's points.
    const std::vector<CurveLine> lines =
        tan.source->lines(1.55, 1.59, 400, AxisScale::Linear, {-100.0, 100.0});
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(brokenAt(lines[0], 0.5 * kPi));
    EXPECT_GT(reachNear(lines[0], 0.5 * kPi, 0.001), 100.0);
    for (const LinePoint p : lines[0]) {
        if (!IsGap(p.y)) {
            EXPECT_NEAR(p.y, std::tan(p.x), 1e-9 * std::max(1.0, std::fabs(p.y)));
        }
    }
}

TEST_F(DiagramTest, TheReadoutIsTheFormulasValueInItsUnits)
{
    page({u"v0 = 20m/s", u"a = -9.81m/s\u00B2"});
    DiagramRequest request = DiagramRequestFor({u"v0*t+a*t\u00B2/2"}, u"t", u"0s", u"4.5s", 201);
    request.curves[0].name = u"y";
    DiagramData d = SampleDiagram(parser, request);
    Reading r = ReadAt(d, 0.99412, 0.001);
    EXPECT_EQ(r.x, 0.994) << "read where the shown x is";
    EXPECT_EQ(r.xText, u"t = 0.994s");
    ASSERT_EQ(r.curves.size(), 1u);
    EXPECT_DOUBLE_EQ(r.curves[0].y, 20 * 0.994 - 9.81 * 0.994 * 0.994 / 2);
    EXPECT_EQ(r.curves[0].text, u"y = " + ReadingText(r.curves[0].y) + u"m");

    // Near a pole, between the points of the diagram.
    d = sample({u"TAN(w)", u"1/w"}, u"w", u"-2", u"2", 21);
    r = ReadAt(d, 1.5611, 1e-4);
    EXPECT_NEAR(r.curves[0].y, std::tan(1.5611), 1e-9);
    EXPECT_EQ(r.joined(u"; ").substr(0, 27), u"w = 1.5611; TAN(w) = 103.12");
    EXPECT_EQ(ReadAt(d, 0.0, 0.01).curves[1].text, u"1/w: kein Wert");

    // Each curve in the unit its own line shows, also where the axis shows another.
    page({u"v = 3m/s"});
    request = DiagramRequestFor({u"v*t", u"v*t"}, u"t", u"0s", u"10s", 11);
    request.curves[1].shownIn = u"0km";
    d = SampleDiagram(parser, request);
    r = ReadAt(d, 4.0, 0.01);
    EXPECT_EQ(r.curves[0].text, u"v*t = 12m");
    EXPECT_EQ(r.curves[1].text, u"v*t = 0.012km");
}

} // namespace
} // namespace quorvel::testing
