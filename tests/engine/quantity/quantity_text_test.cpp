// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/base/quorvel_error.h"
#include "engine/quantity/quantity_text.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

using namespace quorvel;

namespace {

TSIUnitList unitsWith(std::initializer_list<TSIVar> extra)
{
    TSIUnitList units;
    for (const TSIVar& u : extra)
        units.Add(u);
    return units;
}

} // namespace

TEST(QuantityText, ExponentSuffixes)
{
    EXPECT_EQ(ExponentStr(1), u"");
    EXPECT_EQ(ExponentStr(2), u"\u00B2");
    EXPECT_EQ(ExponentStr(3), u"\u00B3");
    EXPECT_EQ(ExponentStr(4), u"^4");
    EXPECT_EQ(ExponentStr(-5), u"^-5");
}

TEST(QuantityText, BaseUnitTextPutsKgFirstAndNegativesBehindTheSlash)
{
    EXPECT_EQ(SiUnitToStr(SiSet(1, 1, 1, -2, 0, 0, 0, 0)), u"kgm/s\u00B2");
    EXPECT_EQ(SiUnitToStr(SiSet(1, 2, 1, -2, -1, 0, 0, 0)), u"kgm\u00B2/(s\u00B2K)");
    EXPECT_EQ(SiUnitToStr(SiSet(1, 0, 0, -1, 0, 0, 0, 0)), u"*1/s");
    EXPECT_EQ(SiUnitToStr(SiSet(1, 1, 0, -1, 0, 0, 0, 0)), u"m/s");
    EXPECT_EQ(SiUnitToStr(SiSet(1, 4, 0, 0, 0, 0, 0, 0)), u"m^4");
    EXPECT_EQ(SiUnitToStr(SiSet(1, 0, 0, 1, 0, 1, 0, 0)), u"sA");
    EXPECT_EQ(SiUnitToStr(SiSet(1, -1, 1, -1, -1, -1, 0, 0)), u"kg/(msKA)");
    EXPECT_EQ(SiUnitToStr(SiOne), u"");
}

TEST(QuantityText, RealToTextHasUpToTenDecimals)
{
    EXPECT_EQ(RealToText(2.5), u"2.5");
    EXPECT_EQ(RealToText(3), u"3");
    EXPECT_EQ(RealToText(1234.5678), u"1234.5678");
    EXPECT_EQ(RealToText(0.00000000004), u"0");
    EXPECT_EQ(RealToText(0.00000000001), u"0");
    EXPECT_EQ(RealToText(-2.25), u"-2.25");
    EXPECT_EQ(RealToText(-0.00000000001), u"0") << "no sign on a value that shows as zero";
    EXPECT_EQ(RealToText(1.0 / 3), u"0.3333333333");
    EXPECT_EQ(RealToText(1e20), u"100000000000000000000");
    // Exact halfway cases round to the even last decimal.
    EXPECT_EQ(RealToText(0.00048828125), u"0.0004882812");
    EXPECT_EQ(RealToText(0.00146484375), u"0.0014648438");
    // Rounding up carries into the whole part.
    EXPECT_EQ(RealToText(0.99999999996), u"1");
    EXPECT_EQ(RealToText(-1.99999999999), u"-2");
    // The last doubles with a fraction, and the first without one.
    EXPECT_EQ(RealToText(4503599627370495.5), u"4503599627370495.5");
    EXPECT_EQ(RealToText(9007199254740993.0), u"9007199254740992");
}

TEST(QuantityText, RealToTextAsTheExactFixedConversion)
{
    // Values of every size the integer road takes, and some beyond it, against the library's
    // exact conversion with ten decimals, its trailing zeros and a sign on zero removed.
    const auto expected = [](double v) {
        char buffer[400];
        char* end =
            std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 10).ptr;
        while (end[-1] == '0')
            --end;
        if (end[-1] == '.')
            --end;
        std::string text(buffer, end);
        if (text == "-0")
            text = "0";
        return std::u16string(text.begin(), text.end());
    };
    std::uint64_t state = 88172645463325252ull;
    for (int i = 0; i < 200000; ++i) {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        const double mantissa = static_cast<double>(state >> 11) / 9007199254740992.0;
        const int exponent = static_cast<int>(state % 31) - 13;
        double v = mantissa * std::pow(10.0, exponent);
        if (i % 3 == 0)
            v = std::round(v * 1e4) / 1e4; // short decimals, whose trailing zeros go
        if (state & 1)
            v = -v;
        ASSERT_EQ(RealToText(v), expected(v)) << v;
    }
}

TEST(QuantityText, UsedUnitsWinOverBaseUnitsAndTheFirstDefinedWins)
{
    TSIUnitList units = unitsWith({SiVarMake(u"mm", 0.001, 1, 0, 0, 0, 0, 0, 0),
                                   SiVarMake(u"km", 1000, 1, 0, 0, 0, 0, 0, 0)});
    const TSINumber length = SiSet(1500, 1, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(Strwandeln(units, length, 0), u"1500m");
    units.SetUsed(9); // km
    EXPECT_EQ(Strwandeln(units, length, 0), u"1.5km");
    units.SetUsed(8); // mm as well: defined first
    EXPECT_EQ(Strwandeln(units, length, 0), u"1500000mm");
    units.SetUsed(1); // m stands before both
    EXPECT_EQ(Strwandeln(units, length, 0), u"1500m");

    TSIVar chosen;
    EXPECT_TRUE(FindSameUnit(units, length, chosen));
    EXPECT_EQ(chosen.Name, u"m");
    EXPECT_FALSE(FindSameUnit(units, SiSet(1, 1, 0, 1, 0, 0, 0, 0), chosen));
    EXPECT_TRUE(chosen.Name.empty());
    EXPECT_EQ(chosen.Quantity.Value, 1);
}

TEST(QuantityText, DimensionlessResults)
{
    TSIUnitList units = unitsWith({SiVarMake(u"\u20AC", 1, 0, 0, 0, 0, 0, 0, 0)});
    EXPECT_EQ(Strwandeln(units, SiSet(0.5, 0, 0, 0, 0, 0, 0, 0), 0), u"0.5");
    units.SetUsed(8);
    EXPECT_EQ(Strwandeln(units, SiSet(7, 0, 0, 0, 0, 0, 0, 0), 0), u"7\u20AC");
}

TEST(QuantityText, ComposedUnitsUsePreferredUnitsOfEachBaseDimension)
{
    TSIUnitList units = unitsWith({SiVarMake(u"g", 0.001, 0, 1, 0, 0, 0, 0, 0)});
    units.SetUsed(8);
    EXPECT_EQ(Strwandeln(units, SiSet(1500, -3, 1, 0, 0, 0, 0, 0), 0), u"1500000g/m\u00B3");
    EXPECT_EQ(Strwandeln(units, SiSet(2, 0, 0, 1, 0, 1, 0, 0), 0), u"2sA");
    EXPECT_EQ(Strwandeln(units, SiSet(5, 0, 0, -1, 0, 0, 0, 0), 0), u"5*1/s");

    double divisor = 0;
    std::u16string text;
    UsedUnitToStr(units, SiSet(1, 0, 0, 1, 0, 1, 0, 0), divisor, text);
    EXPECT_EQ(divisor, 1);
    EXPECT_EQ(text, u"sA");
}

TEST(QuantityText, DecimalPlaces)
{
    TSIUnitList units;
    const auto metres = [](double v) { return SiSet(v, 1, 0, 0, 0, 0, 0, 0); };
    EXPECT_EQ(Strwandeln(units, metres(1.0 / 3), 2), u"0.33m");
    EXPECT_EQ(Strwandeln(units, metres(2.5), 2), u"2.5m");
    EXPECT_EQ(Strwandeln(units, metres(2.5), -2), u"2.50m");
    EXPECT_EQ(Strwandeln(units, metres(2.999), 2), u"3.00m");
    EXPECT_EQ(Strwandeln(units, metres(3), 2), u"3m");
    EXPECT_EQ(Strwandeln(units, metres(0.00000000001), 0), u"0m");
    EXPECT_EQ(Strwandeln(units, metres(1.0 / 3), -2147483647 - 1).size(), 21u) << "capped";
}

TEST(QuantityText, ZeroUnitsRaise)
{
    TSIUnitList units = unitsWith({SiVarMake(u"z", 0, 1, 0, 0, 0, 0, 0, 0)});
    units.SetUsed(8);
    try {
        Strwandeln(units, SiSet(3, 1, 0, 0, 0, 0, 0, 0), 0);
        FAIL();
    } catch (const QuorvelError& e) {
        EXPECT_EQ(e.message(), u"Zero Unit in Strwandeln");
    }
    try {
        Strwandeln(units, SiSet(3, 2, 0, 0, 0, 0, 0, 0), 0);
        FAIL();
    } catch (const QuorvelError& e) {
        EXPECT_EQ(e.message(), u"Zero Unit in UsedUnitToStr");
    }
}

TEST(QuantityText, IntPow)
{
    EXPECT_EQ(IntPow(3, 2), 8);
    EXPECT_EQ(IntPow(-2, 2), 0.25);
    EXPECT_EQ(IntPow(0, 5), 1);
    EXPECT_EQ(IntPow(0, 0), 0);
    EXPECT_EQ(IntPow(-1, 0), 0);
    EXPECT_EQ(IntPow(-3, -1), -1);
    // Huge exponents come back at once.
    EXPECT_EQ(IntPow(2000000000, 1), 1);
    EXPECT_EQ(IntPow(-2000000001, 1), 1);
    EXPECT_EQ(IntPow(2000000001, -1), -1);
    EXPECT_EQ(IntPow(2000000000, 0.001), 0);
    EXPECT_TRUE(std::isinf(IntPow(2000000000, 1000)));
}
