// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/unit_definitions/unit_compiler.h"
#include "engine/worksheet/line_evaluation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace quorvel;

namespace {

std::string narrow(std::u16string_view text)
{
    std::string out;
    for (char16_t c : text)
        out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

class Lines : public ::testing::Test
{
protected:
    Lines()
    {
        std::vector<std::u16string> units = DefaultUnitDefinitions();
        CompileUnitDefinitions(parser, units);
    }

    // The line as Enter leaves it, with the marked span in [brackets] when it failed.
    std::u16string enter(std::u16string_view line, double decimals = 0)
    {
        const LineOutput out = evaluator.EvalSheetLine(line, decimals);
        if (out.ok)
            return out.text;
        const std::u16string_view text = out.text;
        const auto start = static_cast<std::size_t>(out.markStart);
        const auto end = start + static_cast<std::size_t>(out.markLength);
        std::u16string marked;
        marked.reserve(text.size() + 2);
        marked.append(text.substr(0, start))
            .append(1, u'[')
            .append(text.substr(start, end - start))
            .append(1, u']')
            .append(text.substr(end));
        return marked;
    }

    TEFParser parser;
    LineEvaluator evaluator{parser};
};

#define EXPECT_LINE(input, expected)                                                               \
    EXPECT_EQ(narrow(enter(input)), narrow(expected)) << narrow(input)

} // namespace

TEST_F(Lines, ExpressionsAndAssignments)
{
    EXPECT_LINE(u"a = 3", u"a = 3");
    EXPECT_LINE(u"b = a * 2", u"b = a*2 = 6");
    EXPECT_LINE(u"b*2", u"b*2 = 12");
    EXPECT_LINE(u"b*2 = 12", u"b*2 = 12");
    EXPECT_LINE(u"3*4 =", u"3*4 = 12");
    EXPECT_LINE(u"3*4 = 12 = 5", u"3*4 = 12");
    EXPECT_LINE(u"x = 5", u"x = 5");
    EXPECT_LINE(u"x", u"x = 5");
    EXPECT_LINE(u"d = -2", u"d = -2");
    EXPECT_LINE(u"k = 3km", u"k = 3km");
    EXPECT_LINE(u"Vars = 3", u"Vars = 3");
    EXPECT_EQ(evaluator.LastResult, u"3");
}

TEST_F(Lines, ResultsComeBackInTheUnitsOfTheLine)
{
    EXPECT_LINE(u"3km+500m", u"3km+500m = 3500m");
    EXPECT_LINE(u"3km+0.5km", u"3km+0.5km = 3.5km");
    EXPECT_LINE(u"3km+500m = 0mm", u"3km+500m = 3500000mm");
    EXPECT_LINE(u"2kg*9.81m/s\u00B2", u"2kg*9.81m/s\u00B2 = 19.62N");
    EXPECT_LINE(u"rho = 1500g/(1m)\u00B3", u"rho = 1500g/(1m)\u00B3 = 1500g/m\u00B3");
    EXPECT_LINE(u"rho*1m\u00B3", u"rho*1m\u00B3 = 1.5kg");
    EXPECT_LINE(u"7\u20AC*3", u"7\u20AC*3 = 21\u20AC");
    EXPECT_LINE(u"2A*3s", u"2A*3s = 6sA");
}

TEST_F(Lines, ProseAndUnchangedLines)
{
    EXPECT_LINE(u"3 * 4 =", u"3 * 4 =");
    EXPECT_LINE(u"Masse des K\u00F6rpers", u"Masse des K\u00F6rpers");
    EXPECT_LINE(u"=", u"=");
    EXPECT_LINE(u" == ", u" == ");
    EXPECT_LINE(u"   ", u"   ");
}

TEST_F(Lines, ErrorsAreWrittenWithTheirMarks)
{
    EXPECT_LINE(u"3m+2s", u"3m[+]2s = unit confilct");
    EXPECT_LINE(u"sin = 3", u"[sin] = 3 = illegal variable name");
    EXPECT_LINE(u"SIN = 3", u"[SIN] = 3 = illegal variable name");
    EXPECT_LINE(u"km = 3", u"[km] = 3 = illegal variable name");
    EXPECT_LINE(u"y", u"[y] = Variable not found");
    EXPECT_LINE(u"y = Variable not found", u"[y] = Variable not found");
    EXPECT_LINE(u"z = 3+q", u"z = 3+[q] = Variable not found");
    EXPECT_LINE(u"2x = 3", u"2[x] = Variable not found");
    EXPECT_LINE(u"2+", u"2+[] = OK!");
}

TEST_F(Lines, FaultsLeaveTheLineAsTyped)
{
    EXPECT_LINE(u"1/0", u"1/0");
    EXPECT_LINE(u"v = 1 / 0", u"v = 1 / 0");
    EXPECT_LINE(u"SIN+1", u"SIN+1");
    EXPECT_LINE(u"3 = 1/0", u"3 = 1/0");
    EXPECT_FALSE(evaluator.parser().Vars.IndexOf(u"v") >= 0);

    std::u16string many;
    for (int i = 0; i < 60; ++i)
        many += u"1=";
    EXPECT_EQ(enter(many), many);
    EXPECT_EQ(narrow(enter(u"1/3", std::numeric_limits<double>::quiet_NaN())), "1/3");
    EXPECT_EQ(narrow(enter(u"1/3", 3e9)), "1/3");
}

TEST_F(Lines, AnOldResultOnlyChoosesTheUnits)
{
    EXPECT_LINE(u"a+b = 7", u"[a]+b = Variable not found");
    enter(u"a = 2");
    enter(u"b = 5");
    EXPECT_LINE(u"a+b = 7", u"a+b = 7");
    EXPECT_LINE(u"len = 2m = 0km", u"len = 0.002km");
}

TEST_F(Lines, LabelsAndIndentationStayInFront)
{
    EXPECT_LINE(u"Fl\u00E4che: F = 3*4", u"Fl\u00E4che: F = 3*4 = 12");
    EXPECT_LINE(u"Strom: A = 3", u"Strom: [A] = 3 = illegal variable name");
    EXPECT_LINE(u"Notiz: x = 2", u"Notiz: x = 2");
    EXPECT_LINE(u"\t  2*3", u"\t  2*3 = 6");
    EXPECT_LINE(u"Fehler:\t3m+2s", u"Fehler:\t3m[+]2s = unit confilct");

    // Long label lines are evaluated whole; nothing is cut off.
    std::u16string sum = u"1";
    for (int i = 0; i < 200; ++i)
        sum += u"+1";
    EXPECT_EQ(enter(u"Summe: " + sum), u"Summe: " + sum + u" = 201");
}

TEST_F(Lines, DecimalPlaces)
{
    EXPECT_EQ(enter(u"1/3", 2), u"1/3 = 0.33");
    EXPECT_EQ(enter(u"1/3", -2), u"1/3 = 0.33");
    EXPECT_EQ(enter(u"5/2", -2), u"5/2 = 2.50");
    EXPECT_EQ(enter(u"5/2", 2), u"5/2 = 2.5");
    EXPECT_EQ(enter(u"5/2", 1.6), u"5/2 = 2.5");
    EXPECT_EQ(enter(u"1/3", 2.5), u"1/3 = 0.33") << "halves round to even";
    EXPECT_EQ(RoundDecimals(-2.5), -2);
    EXPECT_EQ(RoundDecimals(3.5), 4);
}

TEST_F(Lines, ListingsAndCommands)
{
    EXPECT_EQ(ListCommandOf(u"  vars  "), ListCommand::Vars);
    EXPECT_EQ(ListCommandOf(u"Units"), ListCommand::Units);
    EXPECT_EQ(ListCommandOf(u"Vars = 3"), ListCommand::None);

    const std::vector<std::u16string> units = ListQuantities(parser.Units);
    ASSERT_EQ(units.size(), 22u);
    EXPECT_EQ(units[0], u" = 1");
    EXPECT_EQ(units[2], u"kg = 1kg");
    EXPECT_EQ(units[8], u"N = 1kgm/s\u00B2");
    EXPECT_EQ(units[18], u"l = 0.001m\u00B3");
    EXPECT_EQ(units[21], u"St\u00FCck = 1");

    const std::vector<std::u16string> vars = ListQuantities(parser.Vars);
    ASSERT_EQ(vars.size(), 2u);
    EXPECT_EQ(vars[0], u"Pi = 3.1415926536");
    EXPECT_EQ(vars[1], u"PU = 101300kg/(ms\u00B2)");
}

TEST_F(Lines, HugeLinesAreHandled)
{
    std::u16string line(100000, u'x');
    EXPECT_EQ(enter(line), u"[" + line + u"] = Variable not found");
    std::u16string deep = std::u16string(10000, u'(') + u"1" + std::u16string(10000, u')');
    EXPECT_EQ(enter(deep), deep) << "too deep: left as typed";
    std::u16string words;
    for (int i = 0; i < 20000; ++i)
        words += u"wort ";
    EXPECT_EQ(enter(words), words);
}

TEST_F(Lines, FormulaOfALineIsWhatEnterEvaluates)
{
    const auto formulaOf = [this](std::u16string_view line) {
        const LineFormula f = FormulaOfLine(parser, line);
        return narrow(f.formula) + " | " + narrow(f.shownIn);
    };
    EXPECT_EQ(formulaOf(u"v*t"), "v*t | ");
    EXPECT_EQ(formulaOf(u"v*t = 30 km"), "v*t | 30km");
    EXPECT_EQ(formulaOf(u"w = v*t"), "v*t | ");
    EXPECT_EQ(formulaOf(u"w = v*t = 30km"), "v*t | 30km");
    EXPECT_EQ(formulaOf(u"Weg: w = v*t"), "v*t | ") << "label skipped";
    EXPECT_EQ(formulaOf(u"x = 5"), "5 | ");
    EXPECT_EQ(formulaOf(u"2x = 3"), "2x | 3") << "a digit in front: an expression";
    EXPECT_EQ(formulaOf(u"3*4 = 12 = 5"), "3*4 | ") << "only a single old result counts";
    EXPECT_EQ(formulaOf(u"y = Variable not found"), "y | Variablenotfound");
    for (const char16_t* nothing : {u"", u"   ", u"=", u"Masse des K\u00F6rpers", u"v * t", u"VARS",
                                    u" units ", u"sin = 3*t", u"km = 2*t"})
        EXPECT_EQ(formulaOf(nothing), " | ") << narrow(nothing);
    std::u16string many;
    for (int i = 0; i < 60; ++i)
        many += u"1=";
    EXPECT_EQ(formulaOf(many), " | ") << "Enter leaves it as typed";

    // An assignment names its result; a formula with an old result does not.
    EXPECT_EQ(FormulaOfLine(parser, u"Weg: w = v*t = 30km").name, u"w");
    EXPECT_EQ(FormulaOfLine(parser, u"v*t = 30km").name, u"");
}
