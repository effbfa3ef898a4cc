// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/base/quorvel_error.h"
#include "tests/engine/formula/evaluation_helpers.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace quorvel;
using namespace quorvel::testing;

namespace {

class Evaluator : public ::testing::Test
{
protected:
    TEFParser parser;

    double value(std::u16string formula)
    {
        const Outcome o = evaluate(parser, std::move(formula));
        EXPECT_TRUE(o.ok) << std::string(o.message.begin(), o.message.end());
        return o.value.Value;
    }

    std::u16string raised(std::u16string formula)
    {
        return quorvel::testing::raised(parser, std::move(formula));
    }
};

} // namespace

TEST_F(Evaluator, PrecedenceAndAssociativity)
{
    EXPECT_EQ(value(u"2+3*4"), 14);
    EXPECT_EQ(value(u"2*3+4"), 10);
    EXPECT_EQ(value(u"2*3\u00B2"), 18);
    EXPECT_EQ(value(u"-3\u00B2"), 9);
    EXPECT_EQ(value(u"(2+3)*4"), 20);
    EXPECT_EQ(value(u"8-3-2"), 3);
    EXPECT_EQ(value(u"2^3^2"), 64);
    EXPECT_EQ(value(u"-2^2"), 4);
    EXPECT_EQ(value(u"2^-1"), 0.5);
    EXPECT_EQ(value(u"3*-5"), -15);
    EXPECT_EQ(value(u"24/4/2"), 3);
    EXPECT_EQ(value(u"2*(3+4)-1"), 13);
    EXPECT_EQ(value(u"((2))"), 2);
    EXPECT_NEAR(value(u"3.5.2"), 0.7, 1e-15);
    EXPECT_EQ(value(u"1E5"), 100000);
    EXPECT_EQ(value(u"-."), 0);
}

TEST_F(Evaluator, PreparationRemovesBlanksAndLeavesTheUnreadRest)
{
    EXPECT_EQ(value(u"  2 m + 3 m "), 5);
    const Outcome o = evaluate(parser, u"1;2");
    EXPECT_TRUE(o.ok);
    EXPECT_EQ(o.value.Value, 1);
    EXPECT_EQ(o.rest, u"2");
    EXPECT_EQ(evaluate(parser, u"S I N (0)").value.Value, 0);
}

TEST_F(Evaluator, UnitsAndImplicitProducts)
{
    Outcome o = evaluate(parser, u"3m\u00B2");
    EXPECT_EQ(o.value.Value, 3);
    EXPECT_EQ(o.value.Exponents[M], 2);
    o = evaluate(parser, u"2.5kg*m");
    EXPECT_TRUE(SiSameUnit(o.value, dims(1, 1, 0)));
    o = evaluate(parser, u"2E3m");
    EXPECT_EQ(o.value.Value, 2000);
    o = evaluate(parser, u"(2m)^2");
    EXPECT_EQ(o.value.Value, 4);
    EXPECT_EQ(o.value.Exponents[M], 2);
    o = evaluate(parser, u"2Pi");
    EXPECT_NEAR(o.value.Value, 6.283185307179586, 1e-15);
    EXPECT_EQ(value(u"4^0.5"), 2);
    EXPECT_EQ(evaluate(parser, u"3m+2m").value.Value, 5);
    o = evaluate(parser, u"PU");
    EXPECT_TRUE(SiSameUnit(o.value, dims(-1, 1, -2)));
}

TEST_F(Evaluator, MarksEveryNamedUnit)
{
    parser.Units.Add(SiVarMake(u"km", 1000, 1, 0, 0, 0, 0, 0, 0));
    evaluate(parser, u"3km*2s");
    EXPECT_TRUE(parser.Units.at(8).Used);
    EXPECT_TRUE(parser.Units.at(3).Used);
    EXPECT_FALSE(parser.Units.at(1).Used);
}

TEST_F(Evaluator, ErrorsWithTheirMarks)
{
    struct Case
    {
        std::u16string formula;
        std::u16string message;
        int pos;
        int len;
    };
    const Case cases[] = {
        {u"3m+2s", u"unit confilct", 3, 1},
        {u"3+xyz", u"Variable not found", 3, 3},
        {u"MAX(1;y)", u"Variable not found", 7, 1},
        {u"m\u00B2+y", u"Variable not found", 4, 1},
        {u"(2+3", u"Klammerfehler", 2, 0},
        {u"((2)", u"Klammerfehler", 2, 0},
        {u"SIN(", u"Klammerfehler", 2, 0},
        {u"(2))", u"\")\" nicht erlaubt in Routine OPLevel", 4, 0},
        {u"(2)x", u"Unbekannter Operator x in Routine OPLevel", 4, 0},
        {u"3\u00B2m", u"Unbekannter Operator m in Routine OPLevel", 3, 0},
        {u"2)", u"bracket error", 2, 1},
        {u"SIN*2", u"syntax error", 2, 0},
        {u"(1;2)", u"syntax error ", 3, 0},
        {u"2^(1m)", u"units in exponent not allowed", 7, 0},
        {u"(4m\u00B2)^0.5", u"only integer exponents for physical base", 10, 0},
        {u"m(2)", u"unknown function m()", 2, 1},
        {u"2(3)", u"unknown function 2()", 2, 1},
        {u"MAX(1;2;3)", u"wrong number of arguments for MAX", 1, 3},
        {u"sin(1;2)", u"wrong number of arguments for SIN", 1, 3},
        {u"SIN(1m)", u"No units allowed", 1, 3},
    };
    for (const Case& c : cases) {
        const Outcome o = evaluate(parser, c.formula);
        const std::string name(c.formula.begin(), c.formula.end());
        EXPECT_FALSE(o.ok) << name;
        EXPECT_EQ(o.message, c.message) << name;
        EXPECT_EQ(o.errPos, c.pos) << name;
        EXPECT_EQ(o.errLen, c.len) << name;
    }
}

TEST_F(Evaluator, FailuresWithoutAMessage)
{
    for (std::u16string formula : {u"", u"2+", u"()", u"SIN()", u"SIN", u"MAX(SIN;1)", u"   "}) {
        const Outcome o = evaluate(parser, formula);
        EXPECT_FALSE(o.ok) << std::string(formula.begin(), formula.end());
        EXPECT_EQ(o.message, u"OK!");
    }
}

TEST_F(Evaluator, RaisedFaults)
{
    EXPECT_EQ(raised(u"SIN+1"), u"OK, valid ist n\u00F6tig! (1)");
    EXPECT_EQ(parser.ErrMsg, u"syntax error");
    EXPECT_EQ(raised(u"1/0"), u"Division by zero in SiDiv");
    EXPECT_EQ(raised(u"1/(2m-2m)"), u"Division by zero in SiDiv");
    EXPECT_EQ(raised(u"1E300*1E300"), u"Floating point overflow");
    EXPECT_EQ(raised(u"0^-1"), u"Floating point division by zero");
    EXPECT_EQ(raised(u"(-8)^0.5"), u"Invalid floating point operation");
    EXPECT_EQ(raised(u"m^3000000000"), u"Range check error");
    EXPECT_EQ(raised(u"10^400"), u"Floating point overflow");
}

TEST_F(Evaluator, DeepNestingIsRefusedInsteadOfCrashing)
{
    const std::u16string deep = std::u16string(10000, u'(') + u"1" + std::u16string(10000, u')');
    EXPECT_EQ(raised(deep), u"Stack overflow");
    const std::u16string fine = std::u16string(50, u'(') + u"1" + std::u16string(50, u')');
    EXPECT_EQ(value(fine), 1);
    EXPECT_EQ(value(u"2+3"), 5) << "the parser is usable after the refusal";
}

TEST_F(Evaluator, LongFormulasStayLinear)
{
    std::u16string sum = u"1";
    for (int i = 0; i < 50000; ++i)
        sum += u"+1";
    EXPECT_EQ(value(sum), 50001);
}

TEST_F(Evaluator, VariablesAndNames)
{
    parser.SetVar(u"x", SiSet(2, 1, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(value(u"x*3"), 6);
    EXPECT_FALSE(evaluate(parser, u"X").ok) << "names are case-sensitive";
    EXPECT_FALSE(evaluate(parser, u"pi").ok);
    EXPECT_THROW(parser.SetVar(u"sin", SiOne), QuorvelError);
    try {
        parser.SetVar(u"m", SiOne);
        FAIL();
    } catch (const QuorvelError& e) {
        EXPECT_EQ(e.message(), u"Einheitenname kann nicht als Variable definiert werden");
    }
    try {
        parser.SetVar(u"Max", SiOne);
        FAIL();
    } catch (const QuorvelError& e) {
        EXPECT_EQ(e.message(), u"Funktionsname kann nicht als Variable definiert werden");
    }
    const int before = parser.VarCount();
    parser.SetVar(u"Pi", SiSet(3, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(parser.VarCount(), before);
    EXPECT_EQ(value(u"Pi"), 3);

    // A unit defined after a variable of the same name shadows it.
    parser.SetVar(u"q", SiSet(5, 0, 0, 0, 0, 0, 0, 0));
    parser.Units.Add(SiVarMake(u"q", 7, 0, 0, 0, 0, 0, 0, 0));
    EXPECT_EQ(value(u"q"), 7);
}

TEST_F(Evaluator, SplitAtErrorCutsToTheText)
{
    parser.ErrPos = 3;
    parser.ErrLen = 2;
    std::u16string before, after, mark;
    parser.SplitAtError(u"abcdef", before, after, mark);
    EXPECT_EQ(before, u"ab");
    EXPECT_EQ(mark, u"cd");
    EXPECT_EQ(after, u"ef");
    parser.ErrPos = 5;
    parser.ErrLen = 10;
    parser.SplitAtError(u"abcdef", before, after, mark);
    EXPECT_EQ(mark, u"ef");
    EXPECT_EQ(after, u"");
}
