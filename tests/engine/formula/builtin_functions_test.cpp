// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/base/quorvel_error.h"
#include "tests/engine/formula/evaluation_helpers.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quorvel;
using namespace quorvel::testing;

namespace {

class Functions : public ::testing::Test
{
protected:
    TEFParser parser;

    TSINumber ok(std::u16string formula)
    {
        const Outcome o = evaluate(parser, formula);
        EXPECT_TRUE(o.ok) << std::string(formula.begin(), formula.end());
        return o.value;
    }

    Outcome refused(std::u16string formula)
    {
        const Outcome o = evaluate(parser, formula);
        EXPECT_FALSE(o.ok) << std::string(formula.begin(), formula.end());
        return o;
    }

    std::u16string raised(std::u16string formula)
    {
        return quorvel::testing::raised(parser, std::move(formula));
    }
};

} // namespace

TEST_F(Functions, TableOrderAndNames)
{
    ASSERT_EQ(parser.FuncCount, 27u);
    const char16_t* names[] = {
        u"SIN",   u"COS", u"TAN",   u"SINR", u"COSR",  u"TANR", u"ARCSIN", u"ARCCOS", u"ARCTAN",
        u"COTAN", u"RAD", u"GRAD",  u"LN",   u"LOG10", u"SINH", u"COSH",   u"EXP",    u"EXP10",
        u"SQRT",  u"ABS", u"TRUNC", u"FRAC", u"SIGN",  u"MAX",  u"MIN",    u"POWER",  u"RhoLuft"};
    for (std::size_t i = 0; i < 27; ++i) {
        EXPECT_EQ(parser.Funcs[i].Name, names[i]);
        EXPECT_EQ(parser.Funcs[i].ArgCount, i >= 23 ? 2 : 1);
    }
    EXPECT_EQ(parser.FindFunction(u"rhoLUFT"), 26);
    EXPECT_EQ(parser.FindFunction(u"sinx"), -1);
    // Every name in any case of A to Z, and nothing else: not a longer name, not another letter.
    for (std::size_t i = 0; i < 27; ++i) {
        std::u16string lower = names[i];
        for (char16_t& c : lower)
            c = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
        EXPECT_EQ(parser.FindFunction(lower), static_cast<std::int32_t>(i)) << i;
        EXPECT_EQ(parser.FindFunction(std::u16string(names[i]) + u"Q"), -1) << i;
    }
    for (const char16_t* other : {u"", u"S\u0130N", u"SIN\u00B2", u"ABS ", u"\u00C4BS"})
        EXPECT_EQ(parser.FindFunction(other), -1);
    // A later function of a name already there is never the one found.
    parser.AddFunction(u"Sqrt", parser.Funcs[0].Routine, 1);
    EXPECT_EQ(parser.FindFunction(u"sqrt"), 18);
}

TEST_F(Functions, Trigonometry)
{
    EXPECT_EQ(ok(u"SIN(Pi/2)").Value, 1);
    EXPECT_EQ(ok(u"sin(0)").Value, 0);
    EXPECT_EQ(ok(u"Sin(0)").Value, 0);
    EXPECT_EQ(ok(u"COS(0)").Value, 1);
    const double sinr = ok(u"SINR(90)").Value;
    EXPECT_LT(sinr, 1.0);
    EXPECT_NEAR(sinr, std::sin(1.5707961), 1e-15);
    EXPECT_NEAR(ok(u"RAD(180)").Value, 3.1415922, 1e-12);
    EXPECT_NEAR(ok(u"GRAD(RAD(45))").Value, 45, 1e-12);
    EXPECT_NEAR(ok(u"ARCSIN(1)").Value, M_PI / 2, 1e-15);
    EXPECT_NEAR(ok(u"ARCCOS(0)").Value, M_PI / 2, 1e-15);
    EXPECT_NEAR(ok(u"ARCTAN(1)").Value, M_PI / 4, 1e-15);
    EXPECT_NEAR(ok(u"COTAN(1)").Value, 1 / std::tan(1.0), 1e-15);
    EXPECT_NEAR(ok(u"2SIN(0.5)").Value, 2 * std::sin(0.5), 1e-15);
    EXPECT_NEAR(ok(u"SIN(0.5)^2").Value, std::sin(0.5) * std::sin(0.5), 1e-15);
}

TEST_F(Functions, ExponentialsAndLogarithms)
{
    EXPECT_NEAR(ok(u"EXP10(2)").Value, 100, 1e-12);
    EXPECT_NEAR(ok(u"LN(EXP(2))").Value, 2, 1e-15);
    EXPECT_NEAR(ok(u"LOG10(1000)").Value, 3, 1e-15);
    EXPECT_EQ(ok(u"SINH(1E-17)").Value, 0);
    EXPECT_EQ(ok(u"COSH(1E-17)").Value, 1);
    EXPECT_NEAR(ok(u"SINH(1)").Value, std::sinh(1.0), 1e-15);
}

TEST_F(Functions, DimensionRules)
{
    TSINumber r = ok(u"SQRT(9m\u00B2)");
    EXPECT_EQ(r.Value, 3);
    EXPECT_EQ(r.Exponents[M], 1);
    r = ok(u"SQRT(16m\u00B2/s\u00B2)");
    EXPECT_EQ(r.Value, 4);
    EXPECT_TRUE(SiSameUnit(r, dims(1, 0, -1)));
    EXPECT_EQ(refused(u"SQRT(4m)").message, u"No odd units allowed");
    EXPECT_EQ(refused(u"SQRT(2K)").message, u"No odd units allowed");

    r = ok(u"ABS(-3m)");
    EXPECT_EQ(r.Value, 3);
    EXPECT_EQ(r.Exponents[M], 1);
    r = ok(u"TRUNC(2.7s)");
    EXPECT_EQ(r.Value, 2);
    EXPECT_EQ(r.Exponents[S], 1);
    EXPECT_EQ(ok(u"TRUNC(-2.5)").Value, -2);
    EXPECT_EQ(ok(u"FRAC(-2.5)").Value, -0.5);
    EXPECT_EQ(ok(u"SIGN(0)").Value, 1);
    EXPECT_EQ(ok(u"SIGN(-2)").Value, -1);

    r = ok(u"MAX(2m;3m)");
    EXPECT_EQ(r.Value, 3);
    EXPECT_EQ(r.Exponents[M], 1);
    EXPECT_EQ(ok(u"MIN(2;3)").Value, 2);
    EXPECT_EQ(refused(u"MAX(2m;3s)").message, u"unit conflict Error");

    EXPECT_EQ(ok(u"POWER(2;3)").Value, 9);
    r = ok(u"POWER(2;3m)");
    EXPECT_EQ(r.Value, 9);
    EXPECT_EQ(SiUnitCount(r), 0);

    r = ok(u"RhoLuft(20;PU)");
    EXPECT_NEAR(r.Value, 101300.0 / (293 * 287), 1e-12);
    EXPECT_TRUE(SiSameUnit(r, dims(-3, 1, 0)));
}

TEST_F(Functions, RefusalsMarkTheFunctionName)
{
    // Five functions refuse a dimension without a message of their own.
    for (std::u16string f : {u"RAD(1m)", u"GRAD(1m)", u"FRAC(1m)", u"SIGN(2m)", u"POWER(1m;2)"}) {
        const Outcome o = refused(u"1+" + f);
        EXPECT_EQ(o.message, u"OK!");
        EXPECT_EQ(o.errPos, 3);
        EXPECT_EQ(o.errLen, static_cast<int>(f.find(u'(')));
    }
    const Outcome o = refused(u"2*COS(1s)");
    EXPECT_EQ(o.message, u"No units allowed");
    EXPECT_EQ(o.errPos, 3);
    EXPECT_EQ(o.errLen, 3);
}

TEST_F(Functions, StackStaysUsableAfterFailedCalls)
{
    refused(u"SIN(1;2)");
    EXPECT_EQ(ok(u"MAX(1;2)").Value, 2);
    refused(u"MAX(1m;2)");
    EXPECT_EQ(ok(u"MIN(4;3)+MAX(1;2)").Value, 5);
}

TEST_F(Functions, DomainErrorsAreFloatingPointFaults)
{
    EXPECT_EQ(raised(u"ARCSIN(2)"), u"Invalid floating point operation");
    EXPECT_EQ(raised(u"LN(0)"), u"Floating point division by zero");
    EXPECT_EQ(raised(u"LN(-1)"), u"Invalid floating point operation");
    EXPECT_EQ(raised(u"SQRT(-4)"), u"Invalid floating point operation");
    EXPECT_EQ(raised(u"EXP(100000)"), u"Floating point overflow");
    EXPECT_EQ(raised(u"RhoLuft(-273;1)"), u"Floating point division by zero");
    EXPECT_EQ(raised(u"COTAN(0)"), u"Floating point division by zero");
    EXPECT_EQ(raised(u"TRUNC(1E300)"), u"Invalid floating point operation");
}
