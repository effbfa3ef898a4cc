// SPDX-License-Identifier: GPL-3.0-or-later
// The fixed text forms of integers, reals and date-times in the settings file.
#include "engine/settings_store/ini_values.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace quorvel {
namespace {

TEST(IniValues, IntegerTexts)
{
    EXPECT_EQ(parseIniInteger(u"0"), 0);
    EXPECT_EQ(parseIniInteger(u"  -12"), -12);
    EXPECT_EQ(parseIniInteger(u"2147483647"), 2147483647);
    EXPECT_EQ(parseIniInteger(u"0x7fffffff"), 2147483647);
    EXPECT_EQ(parseIniInteger(u"0x80000000"), -2147483647 - 1);
    EXPECT_EQ(parseIniInteger(u"0x000000000000001"), 1);
    for (const char16_t* text : {u"", u"-", u"+", u"12 ", u"1.0", u"1e3", u"0x", u"0xG", u"x10",
                                 u"-0x1", u"99999999999999999999", u"１２"})
        EXPECT_FALSE(parseIniInteger(text).has_value());
    EXPECT_EQ(formatIniInteger(-2147483647 - 1), u"-2147483648");
    EXPECT_EQ(formatIniInteger(0), u"0");
}

TEST(IniValues, GeneralRealFormat)
{
    const struct
    {
        double value;
        const char16_t* text;
    } cases[] = {
        {0.0, u"0"},
        {-0.0, u"0"},
        {1.0, u"1"},
        {-2.5, u"-2.5"},
        {0.1, u"0.1"},
        {0.1 + 0.2, u"0.3"},
        {1.0 / 3.0, u"0.333333333333333"},
        {2.0 / 3.0, u"0.666666666666667"},
        {123456789012345.0, u"123456789012345"},
        {1234567890123456.0, u"1.23456789012346E15"},
        {999999999999999.9, u"1E15"},
        {1e15, u"1E15"},
        {1e14, u"100000000000000"},
        {0.00001, u"0.00001"},
        {0.000012345, u"0.000012345"},
        {0.000001, u"1E-6"},
        {-1.5e-7, u"-1.5E-7"},
        {1e20, u"1E20"},
        {6.02214076e23, u"6.02214076E23"},
        {1.7976931348623157e308, u"1.79769313486232E308"},
        {5e-324, u"4.94065645841247E-324"},
        {std::numeric_limits<double>::quiet_NaN(), u"NAN"},
        {std::numeric_limits<double>::infinity(), u"INF"},
        {-std::numeric_limits<double>::infinity(), u"-INF"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatGeneralReal(c.value), c.text) << c.value;
}

TEST(IniValues, RealTexts)
{
    EXPECT_EQ(parseRealText(u"2.5"), 2.5);
    EXPECT_EQ(parseRealText(u"   -2.5"), -2.5);
    EXPECT_EQ(parseRealText(u"+3"), 3.0);
    EXPECT_EQ(parseRealText(u".5"), 0.5);
    EXPECT_EQ(parseRealText(u"5."), 5.0);
    EXPECT_EQ(parseRealText(u"1E3"), 1000.0);
    EXPECT_EQ(parseRealText(u"1e-3"), 0.001);
    EXPECT_EQ(parseRealText(u"1.7976931348623E308"), 1.7976931348623e308);
    for (const char16_t* text :
         {u"", u" ", u"2,5", u"2.5 ", u"NAN", u"nan", u"INF", u"inf", u"0x10", u"1e", u"e5", u".",
          u"-", u"1.2.3", u"1e999", u"\t2.5", u"2.5mm"})
        EXPECT_FALSE(parseRealText(text).has_value());
    for (double value : {0.1, 1.0 / 3.0, -2.5e-9, 6.02214076e23, 123456.789})
        EXPECT_NEAR(*parseRealText(formatGeneralReal(value)), value, std::abs(value) * 1e-14);
}

TEST(IniValues, DateTimeTexts)
{
    EXPECT_EQ(formatDateTimeText({2024, 2, 29, 0, 0, 0}), u"29.02.2024");
    EXPECT_EQ(formatDateTimeText({987, 1, 5, 7, 0, 9}), u"05.01.0987 07:00:09");
    EXPECT_EQ(formatDateTimeText({2024, 12, 31, 0, 0, 1}), u"31.12.2024 00:00:01");

    const DateTimeFields leap{2024, 2, 29, 0, 0, 0};
    EXPECT_EQ(parseDateTimeText(u"29.02.2024", 2025), leap);
    EXPECT_EQ(parseDateTimeText(u"  29.2.2024  ", 2025), leap);
    EXPECT_EQ(parseDateTimeText(u"29.02.24", 2025), leap);
    EXPECT_EQ(parseDateTimeText(u"1.1.80", 2025), (DateTimeFields{1980, 1, 1, 0, 0, 0}));
    EXPECT_EQ(parseDateTimeText(u"1.1.74", 2025), (DateTimeFields{2074, 1, 1, 0, 0, 0}));
    EXPECT_EQ(parseDateTimeText(u"05.01.0987 07:00:09", 2025),
              (DateTimeFields{987, 1, 5, 7, 0, 9}));
    EXPECT_EQ(parseDateTimeText(u"31.12.2024 23:59", 2025),
              (DateTimeFields{2024, 12, 31, 23, 59, 0}));
    for (const char16_t* text :
         {u"", u"29.02.2023", u"31.04.2024", u"0.1.2024", u"1.13.2024", u"1.1.2024 24:00",
          u"1.1.2024 12:60", u"1.1.2024 12:00:60", u"1.1.2024 12", u"1.1.2024x", u"1/1/2024",
          u"2024-01-01", u"1.1.", u"1.1.20245", u"123.1.2024", u"1.1.2024 12:00:00:00",
          u"1.1.2024 1:2:"})
        EXPECT_FALSE(parseDateTimeText(text, 2025).has_value()) << std::u16string(text).size();
    for (const DateTimeFields& fields :
         {DateTimeFields{2024, 2, 29, 13, 5, 0}, DateTimeFields{1, 1, 1, 0, 0, 0},
          DateTimeFields{9999, 12, 31, 23, 59, 59}})
        EXPECT_EQ(parseDateTimeText(formatDateTimeText(fields), 2025), fields);
}

} // namespace
} // namespace quorvel
