// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/formula/evaluator.h"
#include "engine/formula/number_literal.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <string>

using namespace quorvel;

TEST(NumberLiteral, Length)
{
    const std::pair<std::u16string, std::size_t> cases[] = {
        {u"3km", 1}, {u"-2.5m", 4}, {u".5", 2},  {u"1.2.3", 3}, {u"2e3", 3},    {u"2.5E-3s", 6},
        {u"2e", 1},  {u"-", 0},     {u"-x", 0},  {u"x1", 0},    {u"", 0},       {u".", 0},
        {u"-.", 2},  {u"2E+5", 4},  {u"2e+", 1}, {u"1e5.5", 5}, {u"1.5e5.5", 5}};
    for (const auto& [text, length] : cases)
        EXPECT_EQ(NumberLength(text), length) << std::string(text.begin(), text.end());
}

TEST(NumberLiteral, Conversion)
{
    EXPECT_EQ(StrToReal(u"1E5"), 100000);
    EXPECT_EQ(StrToReal(u"1e-3"), 0.001);
    EXPECT_EQ(StrToReal(u"-.5"), -0.5);
    EXPECT_EQ(StrToReal(u"-."), 0);
    EXPECT_EQ(StrToReal(u"1e5.5"), 0) << "a text that does not convert is 0";
    EXPECT_EQ(StrToReal(u"2e1.5"), 0);
    EXPECT_EQ(StrToReal(u"1e-400"), 0) << "underflow is no fault";
    EXPECT_THROW(StrToReal(u"1e400"), std::exception);
    EXPECT_THROW(StrToReal(u"-" + std::u16string(400, u'9')), std::exception);
}

TEST(NumberLiteral, ShortLiteralsRoundAsTheFullConversion)
{
    // Short literals take a quicker road than the general conversion; both must give the same
    // double, to the last bit, on either side of the quick road's limits.
    for (const char* literal : {"0.1",
                                "2.53",
                                "-9.87",
                                "123456789012345",
                                "1234567890123456",
                                "0.000000000000001",
                                "2.9E4",
                                "2.5e-3",
                                "7E+2",
                                "-0.3E1",
                                "1.7976931348623157E22",
                                "9E22",
                                "9E23",
                                "123456789012345E-22",
                                "123456789012345E-23",
                                "1.5E-22",
                                "4.9406564584124654E-3",
                                "3.14159E0",
                                "1E007",
                                "5E-0022",
                                "0.1E-21",
                                "0.1E-22"}) {
        const std::string text = literal;
        double expected = 0.0;
        std::from_chars(text.data(), text.data() + text.size(), expected);
        EXPECT_EQ(StrToReal(std::u16string(text.begin(), text.end())), expected) << literal;
    }
}

TEST(Scanner, NextTokenCutsOperandAndOperator)
{
    TEFParser p;
    std::u16string_view rest;
    std::u16string_view operand;
    char16_t op = 0;

    rest = u"3km+1";
    EXPECT_EQ(p.NextToken(rest, operand, op), 1);
    EXPECT_EQ(operand, u"3");
    EXPECT_EQ(op, u'*');
    EXPECT_EQ(rest, u"km+1");
    EXPECT_EQ(p.ErrPos, 0) << "the implicit * is taken back";

    rest = u"-x*2";
    EXPECT_EQ(p.NextToken(rest, operand, op), 2);
    EXPECT_EQ(operand, u"-x");
    EXPECT_EQ(op, u'*');

    rest = u"(2)";
    EXPECT_EQ(p.NextToken(rest, operand, op), 0);
    EXPECT_TRUE(operand.empty());
    EXPECT_EQ(rest, u"2)");

    rest = u"m2";
    EXPECT_EQ(p.NextToken(rest, operand, op), 2);
    EXPECT_EQ(operand, u"m2");
    EXPECT_EQ(op, 0);
    EXPECT_TRUE(rest.empty());

    rest = u"*5";
    EXPECT_EQ(p.NextToken(rest, operand, op), 2);
    EXPECT_EQ(operand, u"*5");
}

TEST(Scanner, OperatorLevels)
{
    TEFParser p;
    int level = -1;
    const std::pair<char16_t, int> levels[] = {{0, 0},    {u';', 0},      {u'+', 1},
                                               {u'-', 1}, {u'*', 2},      {u'/', 2},
                                               {u'^', 3}, {u'\u00B2', 3}, {u'(', 4}};
    for (const auto& [op, expected] : levels) {
        EXPECT_TRUE(p.OPLevel(op, level));
        EXPECT_EQ(level, expected);
    }
    EXPECT_FALSE(p.OPLevel(u')', level));
    EXPECT_EQ(p.ErrMsg, u"\")\" nicht erlaubt in Routine OPLevel");
    EXPECT_FALSE(p.OPLevel(u'x', level));
    EXPECT_EQ(p.ErrMsg, u"Unbekannter Operator x in Routine OPLevel");
}

TEST(Scanner, GetBracketFindsTheMatchingBracket)
{
    TEFParser p;
    std::u16string_view rest = u"2*(3))-1";
    std::u16string_view inner;
    char16_t op = 0;
    EXPECT_TRUE(p.GetBracket(rest, inner, op));
    EXPECT_EQ(inner, u"2*(3)");
    EXPECT_EQ(op, u'-');
    EXPECT_EQ(rest, u"1");

    rest = u"5)";
    EXPECT_TRUE(p.GetBracket(rest, inner, op));
    EXPECT_EQ(op, 0);
    EXPECT_TRUE(rest.empty());

    for (std::u16string_view open : {u"2+3", u"", u"(2)"}) {
        rest = open;
        EXPECT_FALSE(p.GetBracket(rest, inner, op));
        EXPECT_EQ(p.ErrMsg, u"Klammerfehler");
        EXPECT_EQ(p.ErrLen, 0);
        EXPECT_EQ(rest, open) << "rest unchanged";
    }
}
