// SPDX-License-Identifier: GPL-3.0-or-later
// The diagram as picture, SVG and CSV: what the curves, titles and values look like where a
// reader (or another program) finds them.
#include "tests/engine/diagram/diagram_fixture.h"

#include "engine/base/text_encoding.h"

#include "engine/diagram/csv_writer.h"
#include "engine/diagram/diagram_layout.h"
#include "engine/diagram/svg_writer.h"

#include <algorithm>
#include <regex>
#include <sstream>

namespace quorvel::testing {
namespace {

using Points = std::vector<PicturePoint>;

// The points of every <polyline class="curve"> in an SVG, in document order.
std::vector<Points> svgCurves(const std::string& svg)
{
    std::vector<Points> curves;
    const std::regex polyline(R"(<polyline class="curve"[^>]* points="([^"]*)\")");
    for (auto m = std::sregex_iterator(svg.begin(), svg.end(), polyline);
         m != std::sregex_iterator(); ++m) {
        Points points;
        std::istringstream in((*m)[1].str());
        double x = 0.0;
        double y = 0.0;
        char comma = 0;
        while (in >> x >> comma >> y)
            points.push_back({x, y});
        curves.push_back(points);
    }
    return curves;
}

std::vector<std::string> svgTexts(const std::string& svg)
{
    std::vector<std::string> texts;
    const std::regex text(R"(<text[^>]*>([^<]*)</text>)");
    for (auto m = std::sregex_iterator(svg.begin(), svg.end(), text); m != std::sregex_iterator();
         ++m)
        texts.push_back((*m)[1].str());
    return texts;
}

bool contains(const std::vector<std::string>& texts, const std::string& text)
{
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

TEST_F(DiagramTest, TheCurveLiesWhereItsValuesSay)
{
    page({u"v = 3m/s"});
    const DiagramData d = sample({u"v*t"}, u"t", u"0s", u"10s", 11);
    const DiagramLayout l = LayoutDiagram(d);
    const std::string svg = WriteSvg(l.picture);

    EXPECT_EQ(l.x.min, 0.0);
    EXPECT_EQ(l.x.max, 10.0);
    EXPECT_LT(l.y.min, 0.0) << "a margin below the lowest value";
    EXPECT_GT(l.y.max, 30.0);
    const std::vector<Points> curves = svgCurves(svg);
    ASSERT_EQ(curves.size(), 1u) << svg;
    ASSERT_EQ(curves[0].size(), 11u);
    for (std::size_t i = 0; i <= 10; ++i) {
        const double t = static_cast<double>(i);
        const double x = l.plot.x + t / 10.0 * l.plot.width;
        const double y =
            l.plot.bottom() - (3.0 * t - l.y.min) / (l.y.max - l.y.min) * l.plot.height;
        EXPECT_NEAR(curves[0][i].x, x, 0.006) << i;
        EXPECT_NEAR(curves[0][i].y, y, 0.006) << i;
    }
    EXPECT_NEAR(XValueAt(l, curves[0][4].x), 4.0, 1e-3) << "the window's mouse mapping";
    EXPECT_NEAR(YValueAt(l, curves[0][4].y), 12.0, 1e-3);
}

TEST_F(DiagramTest, SvgKeepsTitlesAsTextAndIsWellFormed)
{
    page({u"v = 3m/s"});
    const DiagramData d = sample({u"v*t"}, u"t", u"0s", u"10s", 11);
    const std::string svg = WriteSvg(LayoutDiagram(d).picture);
    EXPECT_TRUE(svg.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg "));
    EXPECT_NE(svg.find(" width=\"800\" height=\"500\""), std::string::npos);
    EXPECT_NE(svg.find("<title>v*t [m] \xC3\xBC"
                       "ber t [s]</title>"),
              std::string::npos);
    const std::vector<std::string> texts = svgTexts(svg);
    EXPECT_TRUE(contains(texts, "t [s]"));
    EXPECT_TRUE(contains(texts, "v*t [m]"));
    for (const char* tick : {"0", "2", "4", "10", "30"})
        EXPECT_TRUE(contains(texts, tick)) << tick;

    // Formulas with markup characters and units outside ASCII.
    page({u"p = 2\u20AC"});
    DiagramData odd = sample({u"MAX(p;x*1\u20AC)", u"p&"}, u"x", u"0", u"1", 3);
    Picture picture = LayoutDiagram(odd).picture;
    picture.title = u"a<b & \"c\" \u0001";
    const std::string escaped = WriteSvg(picture);
    EXPECT_NE(escaped.find("<title>a&lt;b &amp; &quot;c&quot; \xEF\xBF\xBD</title>"),
              std::string::npos);
    EXPECT_TRUE(contains(svgTexts(escaped), "MAX(p;x*1\xE2\x82\xAC)")) << "the legend";
    EXPECT_TRUE(contains(svgTexts(escaped), "p&amp;: 3 von 3 Punkten ohne Wert; der erste bei "
                                            "x = 0: Variable not found"));
    // Every "<" and "&" in the document starts markup or an entity.
    EXPECT_FALSE(std::regex_search(escaped, std::regex("&(?!(amp|lt|gt|quot|apos);)")));
    EXPECT_FALSE(std::regex_search(escaped, std::regex("<(?![?/a-z])")));
}

TEST_F(DiagramTest, CurvesBreakAtGapsAndAtThePlotEdges)
{
    page({u"a = 2"});
    const DiagramData d = sample({u"a/(x-1)"}, u"x", u"-2", u"4", 61);
    DiagramLayout l = LayoutDiagram(d);
    std::vector<Points> curves = svgCurves(WriteSvg(l.picture));
    ASSERT_EQ(curves.size(), 2u) << "broken at x = 1";
    const double pole = XPosition(l, 1.0);
    EXPECT_LT(curves[0].back().x, pole);
    EXPECT_GT(curves[1].front().x, pole);
    EXPECT_TRUE(contains(svgTexts(WriteSvg(l.picture)),
                         "1 von 61 Punkten ohne Wert; bei x = 1: Division by zero in SiDiv"));
    // Two points alone: the pole between them is found all the same.
    EXPECT_EQ(
        svgCurves(WriteSvg(LayoutDiagram(sample({u"1/x"}, u"x", u"-1", u"1", 2)).picture)).size(),
        2u);

    // Zoomed in, nothing is drawn outside the plot area, and the cut ends lie on its edges.
    LayoutOptions zoom;
    zoom.x = AxisRange{1.5, 2.5};
    zoom.y = AxisRange{1.0, 3.0};
    l = LayoutDiagram(d, zoom);
    curves = svgCurves(WriteSvg(l.picture));
    ASSERT_EQ(curves.size(), 1u);
    for (const PicturePoint& p : curves[0]) {
        EXPECT_GE(p.x, l.plot.x - 0.006);
        EXPECT_LE(p.x, l.plot.right() + 0.006);
        EXPECT_GE(p.y, l.plot.y - 0.006);
        EXPECT_LE(p.y, l.plot.bottom() + 0.006);
    }
    EXPECT_NEAR(curves[0].front().y, l.plot.y, 0.006) << "enters at y = 3 (x = 2)";
    EXPECT_NEAR(curves[0].back().x, l.plot.right(), 0.006) << "leaves at x = 2.5";

    // A value between two gaps still shows.
    const DiagramData lone = sample({u"LN(x)/(x-2)"}, u"x", u"-1", u"2", 4);
    EXPECT_EQ(svgCurves(WriteSvg(LayoutDiagram(lone).picture)).size(), 1u);
}

TEST_F(DiagramTest, SeveralCurvesGetALegendAndColoursOfTheirOwn)
{
    page({u"v = 3m/s"});
    const DiagramData one = sample({u"v*t"}, u"t", u"0s", u"10s", 11);
    const DiagramData two = sample({u"v*t", u"v*t/2"}, u"t", u"0s", u"10s", 11);
    const auto legendItems = [](const Picture& p) {
        return std::count_if(p.items.begin(), p.items.end(), [](const PictureItem& item) {
            const auto* t = std::get_if<TextItem>(&item);
            return t != nullptr && t->role == ItemRole::Legend;
        });
    };
    EXPECT_EQ(legendItems(LayoutDiagram(one).picture), 0);
    const Picture picture = LayoutDiagram(two).picture;
    EXPECT_EQ(legendItems(picture), 2);
    EXPECT_TRUE(contains(svgTexts(WriteSvg(picture)), "v*t, v*t/2 [m]"));
    // Curves named by their lines' variables.
    DiagramRequest named = DiagramRequestFor({u"v*t", u"v*t/2"}, u"t", u"0s", u"10s", 11);
    named.curves[0].name = u"z1";
    named.curves[1].name = u"z2";
    const DiagramData d = SampleDiagram(parser, named);
    const std::vector<std::string> texts = svgTexts(WriteSvg(LayoutDiagram(d).picture));
    for (const char* text : {"z1", "z2", "z1, z2 [m]"})
        EXPECT_TRUE(contains(texts, text)) << text;
    EXPECT_TRUE(WriteCsv(d).starts_with("t [s];z1 [m];z2 [m]\n"));
    EXPECT_FALSE(CurveColour(0) == CurveColour(1));
    EXPECT_FALSE(CurveDashed(6));
    EXPECT_TRUE(CurveDashed(7)) << "beyond the colours, dashes tell curves apart";
}

TEST_F(DiagramTest, AMillionPointsAreThinnedToWhatThePictureShows)
{
    // Gaps where the sine is negative: kept, however thin the picture makes the curve.
    const DiagramData d = sample({u"SQRT(SIN(x/100))*SIN(x)"}, u"x", u"0", u"1000", 1000000);
    const DiagramLayout l = LayoutDiagram(d);
    const std::string svg = WriteSvg(l.picture);
    EXPECT_LT(svg.size(), 1000000u);
    const std::vector<Points> curves = svgCurves(svg);
    ASSERT_EQ(curves.size(), 2u) << "x/100 in 0..pi and 2pi..3pi";
    for (const Points& curve : curves) {
        EXPECT_LE(curve.size(), static_cast<std::size_t>(4 * kThinningColumns * l.plot.width));
        EXPECT_GT(curve.size(), static_cast<std::size_t>(kThinningColumns * l.plot.width / 4));
    }
    const std::string csv = WriteCsv(d);
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 1000001) << "every point";

    // The same curve with every point: each column's extremes are where they were.
    LayoutOptions all;
    all.columnsPerUnit = 0.0;
    std::vector<Points> full;
    for (const PictureItem& item : LayoutDiagram(d, all).picture.items) {
        if (const auto* line = std::get_if<PolylineItem>(&item);
            line && line->role == ItemRole::Curve)
            full.push_back(line->points);
    }
    ASSERT_EQ(full.size(), 2u);
    EXPECT_GT(full[0].size(), 100000u);
    const auto extent = [](const Points& points) {
        const auto [low, high] = std::minmax_element(points.begin(), points.end(),
                                                     [](auto a, auto b) { return a.y < b.y; });
        return std::pair{low->y, high->y};
    };
    EXPECT_NEAR(extent(full[0]).first, extent(curves[0]).first, 0.006);
    EXPECT_NEAR(extent(full[0]).second, extent(curves[0]).second, 0.006);
    EXPECT_NEAR(full[1].back().x, curves[1].back().x, 0.006);
}

TEST_F(DiagramTest, TickLabelsAreNeverCutOff)
{
    for (const auto& [formula, from, to] :
         {std::tuple<std::u16string, std::u16string, std::u16string>{u"x", u"1", u"1.000000001"},
          {u"x*1E11", u"2", u"10"},
          {u"x", u"-123456.7", u"-123456.1"}}) {
        const Picture picture = LayoutDiagram(sample({formula}, u"x", from, to, 11)).picture;
        for (const PictureItem& item : picture.items) {
            const auto* t = std::get_if<TextItem>(&item);
            if (t == nullptr || t->rotation != 0.0)
                continue;
            // As the layout estimates a text's width: 0.62 em a character.
            const double width = static_cast<double>(t->text.size()) * 0.62 * t->size;
            const double left = t->anchor == TextAnchor::Start    ? t->at.x
                                : t->anchor == TextAnchor::Middle ? t->at.x - width / 2
                                                                  : t->at.x - width;
            EXPECT_GE(left, 0.0) << EncodeUtf8(t->text);
            EXPECT_LE(left + width, picture.width) << EncodeUtf8(t->text);
        }
    }
}

TEST_F(DiagramTest, LogarithmicAxesShowDecades)
{
    DiagramRequest request = DiagramRequestFor({u"1/(1+f)"}, u"f", u"1", u"10000", 101);
    request.xScale = AxisScale::Logarithmic;
    request.yScale = AxisScale::Logarithmic;
    const DiagramLayout l = LayoutDiagram(SampleDiagram(parser, request));
    const std::vector<std::string> texts = svgTexts(WriteSvg(l.picture));
    for (const char* decade : {"1", "10", "100", "1000", "10000", "0.001", "0.01", "0.1"})
        EXPECT_TRUE(contains(texts, decade)) << decade;
    // A decade takes as much room as the next.
    EXPECT_NEAR(XPosition(l, 10) - XPosition(l, 1), XPosition(l, 10000) - XPosition(l, 1000), 1e-9);
    EXPECT_NEAR(XValueAt(l, (XPosition(l, 10) + XPosition(l, 1000)) / 2), 100, 1e-9);

    // Values a logarithmic y axis cannot show are noted, not drawn.
    request = DiagramRequestFor({u"x"}, u"x", u"-1", u"1", 5);
    request.yScale = AxisScale::Logarithmic;
    const DiagramData d = SampleDiagram(parser, request);
    EXPECT_EQ(FailureNote(d, 0), u"3 von 5 Werten nicht positiv, auf der logarithmischen y-Achse "
                                 u"nicht gezeigt");
    // Counts stay in digits, however many points.
    DiagramData many = d;
    many.x.assign(1000000, 1.0);
    many.curves[0].values.assign(1000000, -1.0);
    EXPECT_EQ(FailureNote(many, 0), u"1000000 von 1000000 Werten nicht positiv, auf der "
                                    u"logarithmischen y-Achse nicht gezeigt");
}

TEST_F(DiagramTest, CsvHasAHeaderAndOneRowPerPoint)
{
    page({u"v = 3m/s"});
    EXPECT_EQ(WriteCsv(sample({u"v*t"}, u"t", u"0s", u"10s", 11)),
              "t [s];v*t [m]\n0;0\n1;3\n2;6\n3;9\n4;12\n5;15\n6;18\n7;21\n8;24\n9;27\n10;30\n");
    page({u"a = 2m"});
    EXPECT_EQ(WriteCsv(sample({u"a/(x-1)", u"MAX(x;0)*a"}, u"x", u"0", u"1.5", 4)),
              "x;a/(x-1) [m];\"MAX(x;0)*a [m]\"\n"
              "0;-2;0\n0.5;-4;1\n1;;2\n1.5;4;3\n")
        << "a gap is an empty field, a title with ';' is quoted";
}

} // namespace
} // namespace quorvel::testing
