// SPDX-License-Identifier: GPL-3.0-or-later
// Axes for every finite range: a generator of random and degenerate ranges (a few units in the
// last place wide, constant values, near ±1E308, mixed signs, subnormal) fed to the ticks, their
// labels and the whole layout. Each must end with a bounded number of ticks whose labels read
// back as the ticks, and curves that stay inside the plot. A loop that counted with a double
// would hang here.
#include "engine/base/text_encoding.h"
#include "engine/diagram/axis_numbers.h"
#include "engine/diagram/diagram_layout.h"

#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <limits>
#include <random>
#include <set>

namespace quorvel::testing {
namespace {

class Ranges
{
public:
    explicit Ranges(std::uint64_t seed) : m_random(seed) {}

    // A finite double of any magnitude and sign, or one of the awkward ones.
    double value()
    {
        switch (pick(6)) {
        case 0: { // any bit pattern that is a finite double
            double v = std::numeric_limits<double>::quiet_NaN();
            while (!std::isfinite(v))
                v = std::bit_cast<double>(m_random());
            return v;
        }
        case 1: // a magnitude of any decade
            return sign() * uniform(1.0, 10.0) * std::pow(10.0, pick(616) - 308);
        case 2: // near the ends of the doubles
            return sign() * std::numeric_limits<double>::max() * uniform(0.5, 1.0);
        case 3: // subnormal and tiny
            return sign() * std::numeric_limits<double>::denorm_min() *
                   static_cast<double>(pick(1000));
        case 4: // what people type
            return sign() * static_cast<double>(pick(2000)) / 4.0;
        default:
            return 0.0;
        }
    }

    // lo <= hi: random, equal, a few units in the last place apart, or around zero.
    std::pair<double, double> range()
    {
        double lo = value();
        double hi = value();
        switch (pick(4)) {
        case 0:
            hi = lo;
            break;
        case 1:
            hi = lo;
            for (int k = pick(8); k >= 0; --k)
                hi = std::nextafter(hi, std::numeric_limits<double>::infinity());
            if (!std::isfinite(hi))
                hi = lo;
            break;
        case 2:
            lo = -std::fabs(lo);
            hi = std::fabs(hi);
            break;
        default:
            break;
        }
        if (lo > hi)
            std::swap(lo, hi);
        return {lo, hi};
    }

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

private:
    double sign() { return pick(2) == 0 ? 1.0 : -1.0; }
    double uniform(double a, double b)
    {
        return std::uniform_real_distribution<double>(a, b)(m_random);
    }

    std::mt19937_64 m_random;
};

// Every label is a number that reads back as its tick; distinct ticks have distinct labels.
void expectLabelsReadBack(const std::vector<double>& ticks)
{
    const std::vector<std::u16string> labels = TickLabels(ticks);
    ASSERT_EQ(labels.size(), ticks.size());
    std::set<std::u16string> distinct;
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        const std::string text = EncodeUtf8(labels[i]);
        double back = 0.0;
        const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), back);
        EXPECT_TRUE(ec == std::errc() && end == text.data() + text.size()) << text;
        EXPECT_EQ(back, ticks[i]) << text;
        distinct.insert(labels[i]);
    }
    EXPECT_EQ(distinct.size(), labels.size());
}

TEST(AxisProperties, TicksOfEveryFiniteRangeAreFewAscendingAndLabelled)
{
    Ranges ranges(20261208);
    for (int round = 0; round < 20000; ++round) {
        const auto [lo, hi] = ranges.range();
        const int most = 2 + ranges.pick(40);
        const std::vector<double> ticks = AxisTicks(lo, hi, most);
        ASSERT_LE(ticks.size(), static_cast<std::size_t>(most)) << lo << " .. " << hi;
        for (std::size_t i = 0; i < ticks.size(); ++i) {
            ASSERT_TRUE(std::isfinite(ticks[i])) << lo << " .. " << hi;
            if (i > 0) {
                ASSERT_LT(ticks[i - 1], ticks[i]) << lo << " .. " << hi;
            }
        }
        expectLabelsReadBack(ticks);
        if (lo > 0.0) {
            const std::vector<double> decades = LogAxisTicks(lo, hi, most);
            ASSERT_LE(decades.size(), static_cast<std::size_t>(most)) << lo << " .. " << hi;
            for (std::size_t i = 0; i < decades.size(); ++i) {
                ASSERT_GT(decades[i], 0.0);
                if (i > 0) {
                    ASSERT_LT(decades[i - 1], decades[i]);
                }
            }
            expectLabelsReadBack(decades);
        }
        if (HasFailure())
            return;
    }
}

// A diagram of random values over a random x range, laid out whole and with random visible
// ranges: a bounded number of ticks, and no curve point outside the plot.
TEST(AxisProperties, LayoutsOfRandomDiagramsEndAndStayInsideThePlot)
{
    Ranges ranges(4711);
    for (int round = 0; round < 3000; ++round) {
        DiagramData d;
        d.variable = u"x";
        d.yScale = ranges.pick(4) == 0 ? AxisScale::Logarithmic : AxisScale::Linear;
        const auto [lo, hi] = ranges.range();
        const std::size_t n = 2 + static_cast<std::size_t>(ranges.pick(40));
        for (std::size_t i = 0; i < n; ++i)
            d.x.push_back(lo * 0.5 + hi * 0.5 +
                          (hi * 0.5 - lo * 0.5) *
                              (2.0 * static_cast<double>(i) / static_cast<double>(n - 1) - 1.0));
        SampledCurve curve;
        curve.formula = u"f";
        const double constant = ranges.value();
        const int kind = ranges.pick(3);
        for (std::size_t i = 0; i < n; ++i) {
            double v = kind == 0 ? constant : ranges.value();
            if (kind == 1 && i % 7 == 3)
                v = std::numeric_limits<double>::quiet_NaN();
            if (kind == 2)
                v = std::nextafter(constant, static_cast<double>(ranges.pick(3)) - 1.0);
            curve.values.push_back(v);
        }
        curve.poles = ranges.pick(2);
        d.curves.push_back(curve);

        LayoutOptions options;
        options.width = 100.0 + ranges.pick(1200);
        options.height = 80.0 + ranges.pick(900);
        if (ranges.pick(2) == 0) {
            const auto [xl, xh] = ranges.range();
            const auto [yl, yh] = ranges.range();
            options.x = AxisRange{xl, xh};
            options.y = AxisRange{yl, yh};
        }
        const DiagramLayout l = LayoutDiagram(d, options);
        std::size_t ticks = 0;
        for (const PictureItem& item : l.picture.items) {
            if (const auto* line = std::get_if<LineItem>(&item);
                line && line->role == ItemRole::Tick)
                ++ticks;
            if (const auto* poly = std::get_if<PolylineItem>(&item);
                poly && poly->role == ItemRole::Curve) {
                for (const PicturePoint& p : poly->points) {
                    // A lone value's dash may reach a little beyond a value on the frame.
                    ASSERT_GE(p.x, l.plot.x - 2.0);
                    ASSERT_LE(p.x, l.plot.right() + 2.0);
                    ASSERT_GE(p.y, l.plot.y - 0.01);
                    ASSERT_LE(p.y, l.plot.bottom() + 0.01);
                }
            }
        }
        ASSERT_LE(ticks, 80u) << lo << " .. " << hi;
        ASSERT_GT(l.plot.width, 0.0);
    }
}

} // namespace
} // namespace quorvel::testing
