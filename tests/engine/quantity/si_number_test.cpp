// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/base/quorvel_error.h"
#include "engine/quantity/si_number.h"

#include <gtest/gtest.h>

using namespace quorvel;

namespace {
const TSINumber metre = SiSet(1, 1, 0, 0, 0, 0, 0, 0);
const TSINumber second = SiSet(1, 0, 0, 1, 0, 0, 0, 0);
const TSINumber newton = SiSet(1, 1, 1, -2, 0, 0, 0, 0);
} // namespace

TEST(SiNumber, SumAndDifferenceKeepTheFirstDimensionWithoutChecking)
{
    const TSINumber sum = SiAdd(SiSet(2, 1, 0, 0, 0, 0, 0, 0), SiSet(3, 0, 0, 1, 0, 0, 0, 0));
    EXPECT_EQ(sum.Value, 5);
    EXPECT_TRUE(SiSameUnit(sum, metre));
    const TSINumber kg = SiSet(3, 0, 1, 0, 0, 0, 0, 0);
    const TSINumber zero = SiSub(kg, kg);
    EXPECT_EQ(zero.Value, 0);
    EXPECT_TRUE(SiSameUnit(zero, kg));
}

TEST(SiNumber, ProductsAndQuotientsCombineExponents)
{
    const TSINumber joule = SiMul(newton, metre);
    EXPECT_EQ(joule.Exponents, (std::array<std::int32_t, 7>{2, 1, -2, 0, 0, 0, 0}));
    const TSINumber speed = SiDiv(SiSet(0, 0, 0, 0, 0, 0, 0, 0), SiSet(5, 1, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(speed.Value, 0);
    EXPECT_EQ(speed.Exponents[M], -1);

    TSINumber out = SiSet(42, 0, 0, 0, 0, 0, 0, 0);
    SiUnitMul(metre, second, out);
    EXPECT_EQ(out.Value, 42) << "SiUnitMul leaves the value alone";
    SiUnitDiv(metre, second, out);
    EXPECT_EQ(out.Exponents[S], -1);
}

TEST(SiNumber, DivisionByZeroRaisesWhateverTheDivisorsDimension)
{
    for (const TSINumber& divisor : {SiZero, SiSet(0, 1, 0, 0, 0, 0, 0, 0)}) {
        try {
            SiDiv(SiOne, divisor);
            FAIL() << "no exception";
        } catch (const QuorvelError& e) {
            EXPECT_EQ(e.message(), u"Division by zero in SiDiv");
        }
    }
}

TEST(SiNumber, PowersAndCounts)
{
    const TSINumber squared = SiUnitPower(SiSet(7, 1, 1, -2, 0, 0, 0, 0), 2);
    EXPECT_EQ(squared.Value, 7);
    EXPECT_EQ(squared.Exponents, (std::array<std::int32_t, 7>{2, 2, -4, 0, 0, 0, 0}));
    EXPECT_EQ(SiUnitCount(SiUnitPower(newton, 0)), 0);

    EXPECT_TRUE(SiSameUnit(SiMul(newton, metre), SiSet(1, 2, 1, -2, 0, 0, 0, 0)));
    EXPECT_FALSE(SiSameUnit(metre, SiMul(metre, metre)));
    EXPECT_EQ(SiUnitCount(SiOne), 0);
    const TSINumber velocity = SiDiv(metre, second);
    EXPECT_EQ(SiUnitCount(velocity), 2);
    EXPECT_EQ(SiPosCount(velocity), 1);
    EXPECT_EQ(SiNegCount(velocity), 1);
}

TEST(SiNumber, ExponentOverflowWrapsInsteadOfBeingUndefined)
{
    const TSINumber big = SiSet(1, 2000000000, 0, 0, 0, 0, 0, 0);
    EXPECT_EQ(SiUnitPower(big, 2).Exponents[M], static_cast<std::int32_t>(4000000000u));
}
