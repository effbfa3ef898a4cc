// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/base/text_encoding.h"
#include "engine/diagram/axis_numbers.h"

#include <gtest/gtest.h>

using namespace quorvel;

TEST(AxisNumbers, TicksAreRoundNumbersOfTheAxisUnit)
{
    struct Case
    {
        double lo;
        double hi;
        int maxTicks;
        std::vector<double> ticks;
    };
    const Case cases[] = {
        {0, 10, 11, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {0, 10, 6, {0, 2, 4, 6, 8, 10}},
        {0, 10, 5, {0, 5, 10}},
        {-1.5, 31.5, 8, {0, 5, 10, 15, 20, 25, 30}},
        {0.1, 0.3, 3, {0.1, 0.2, 0.3}},
        {0.1, 0.3, 5, {0.1, 0.15, 0.2, 0.25, 0.3}},
        {-2, 4, 7, {-2, -1, 0, 1, 2, 3, 4}},
        {4, -2, 4, {-2, 0, 2, 4}},
        {0.00123, 0.00127, 5, {0.00123, 0.00124, 0.00125, 0.00126, 0.00127}},
        {1e9, 5e9, 5, {1e9, 2e9, 3e9, 4e9, 5e9}},
        {99.2, 100.9, 5, {99.5, 100, 100.5}},
        {3, 3, 5, {}},
    };
    for (const Case& c : cases) {
        const std::vector<double> ticks = AxisTicks(c.lo, c.hi, c.maxTicks);
        EXPECT_EQ(ticks, c.ticks) << c.lo << " .. " << c.hi << " max " << c.maxTicks;
        EXPECT_LE(ticks.size(), static_cast<std::size_t>(c.maxTicks));
    }
    EXPECT_EQ(TickStep(0, 10, 6), 2.0);
    EXPECT_EQ(TickStep(0, 1, 3), 0.5);
}

TEST(AxisNumbers, LabelsShowWhatTheStepNeeds)
{
    const std::tuple<double, double, std::string> cases[] = {
        {0, 1, "0"},
        {10, 2, "10"},
        {-2, 1, "-2"},
        {0.25, 0.05, "0.25"},
        {0, 0.5, "0.0"},
        {0.30000000000000004, 0.1, "0.3"},
        {2.5e-7, 5e-8, "2.5e-7"},
        {0, 1e-6, "0"},
        {1.2e7, 1e6, "1.2e7"},
        {-3e9, 1e9, "-3e9"},
        {1234.5678, 0.01, "1234.57"},
        // Narrow ranges away from zero read as decimals, not as «1.0000000002e0».
        {1.0000000002, 2e-10, "1.0000000002"},
        {-1e-20, 0.01, "0.00"},
    };
    for (const auto& [value, step, text] : cases)
        EXPECT_EQ(EncodeUtf8(TickText(value, step)), text) << value << " step " << step;
}

TEST(AxisNumbers, AnAxisHasOneFormOfLabelsWithTheDigitsItNeeds)
{
    const auto labels = [](std::vector<double> ticks) {
        std::string joined;
        for (const std::u16string& label : TickLabels(ticks))
            joined += (joined.empty() ? "" : " ") + EncodeUtf8(label);
        return joined;
    };
    EXPECT_EQ(labels({2e11, 4e11, 6e11, 8e11, 1e12}), "2e11 4e11 6e11 8e11 1e12");
    EXPECT_EQ(labels({5e11, 1e12, 1.5e12}), "5.0e11 1.0e12 1.5e12");
    EXPECT_EQ(labels({0, 2.5e-7, 5e-7}), "0 2.5e-7 5.0e-7");
    EXPECT_EQ(labels({0, 0.5, 1, 1.5}), "0.0 0.5 1.0 1.5");
    EXPECT_EQ(labels({-20, 0, 20}), "-20 0 20");
    EXPECT_EQ(labels({1.0, 1.0000000002, 1.0000000004}), "1.0000000000 1.0000000002 1.0000000004");
    EXPECT_EQ(labels({1.0, 1.000000000000001}), "1.000000000000000 1.000000000000001")
        << "the two ends of a range a few units in the last place wide";
}

TEST(AxisNumbers, LogarithmicAxesTickAtDecades)
{
    EXPECT_EQ(LogAxisTicks(1, 1e4, 10), (std::vector<double>{1, 10, 100, 1000, 1e4}));
    EXPECT_EQ(LogAxisTicks(0.5, 2000, 10), (std::vector<double>{1, 10, 100, 1000}));
    EXPECT_EQ(LogAxisTicks(1e-3, 1e6, 5), (std::vector<double>{1e-2, 1, 100, 1e4, 1e6}))
        << "every second decade when all would be too many";
    EXPECT_EQ(LogAxisTicks(2, 8, 4), AxisTicks(2, 8, 4)) << "within a decade: round steps";
    const std::vector<double> wide = LogAxisTicks(1e-300, 1e300, 8);
    EXPECT_LE(wide.size(), 8u);
    EXPECT_GE(wide.size(), 5u);
    EXPECT_EQ(TickLabels(LogAxisTicks(1, 1000, 10)),
              (std::vector<std::u16string>{u"1", u"10", u"100", u"1000"}));
}

TEST(AxisNumbers, ShortestTextReadsBackExactly)
{
    EXPECT_EQ(ShortestText(10), u"10");
    EXPECT_EQ(ShortestText(0.1), u"0.1");
    EXPECT_EQ(ShortestText(-2.5), u"-2.5");
    EXPECT_EQ(ShortestText(1e-12), u"1e-12");
    EXPECT_EQ(ShortestText(1.0 / 3), u"0.3333333333333333");
    std::string out = "x;";
    AppendShortest(out, 30);
    EXPECT_EQ(out, "x;30");
}
