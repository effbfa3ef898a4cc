// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/base/quorvel_error.h"
#include "engine/unit_definitions/unit_compiler.h"

#include <gtest/gtest.h>

using namespace quorvel;

TEST(UnitCompiler, DefaultLinesBuildTheUnitTable)
{
    TEFParser parser;
    std::vector<std::u16string> lines = DefaultUnitDefinitions();
    EXPECT_TRUE(CompileUnitDefinitions(parser, lines));
    EXPECT_EQ(lines, DefaultUnitDefinitions()) << "valid lines are written back unchanged";
    ASSERT_EQ(parser.Units.Count, 22);
    const char16_t* names[] = {u"N",   u"Pa", u"J",  u"W", u"kW", u"g",      u"h",
                               u"min", u"mm", u"km", u"l", u"ml", u"\u20AC", u"St\u00FCck"};
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(parser.Units.at(8 + i).Name, names[i]);
    EXPECT_DOUBLE_EQ(parser.Units.at(parser.FindUnit(u"ml")).Quantity.Value, 1e-6);
    EXPECT_EQ(parser.Units.at(parser.FindUnit(u"kW")).Quantity.Value, 1000);
}

TEST(UnitCompiler, LinesAreNormalisedAndFailuresMarkedInPlace)
{
    TEFParser parser;
    std::vector<std::u16string> lines = {u"kW=1000 W ; kilowatt",
                                         u"W = J/s",
                                         u"J = kg*m\u00B2/s\u00B2",
                                         u"   ",
                                         u"abc",
                                         u"== x = 2m",
                                         u"fixed = 3m; Variable not found"};
    EXPECT_FALSE(CompileUnitDefinitions(parser, lines));
    EXPECT_EQ(lines[0], u"kW = 1000W; Variable not found");
    EXPECT_EQ(lines[1], u"W = J/s; Variable not found");
    EXPECT_EQ(lines[2], u"J = kg*m\u00B2/s\u00B2");
    EXPECT_EQ(lines[3], u"   ") << "blank lines stay and are no error";
    EXPECT_EQ(lines[4], u"abc = ; OK!");
    EXPECT_EQ(lines[5], u"x = 2m");
    EXPECT_EQ(lines[6], u"fixed = 3m");
    EXPECT_EQ(parser.FindUnit(u"W"), -1);
    EXPECT_GE(parser.FindUnit(u"J"), 8) << "lines that compiled are in the table";

    std::vector<std::u16string> fixed = {u"J = kg*m\u00B2/s\u00B2", u"W = J/s",
                                         u"kW=1000 W ; kilowatt"};
    EXPECT_TRUE(CompileUnitDefinitions(parser, fixed));
    EXPECT_EQ(fixed[2], u"kW = 1000W");
    EXPECT_EQ(parser.FindUnit(u"x"), -1) << "every compile starts again from the base units";
}

TEST(UnitCompiler, RedefiningABaseUnitKeepsItsPlace)
{
    TEFParser parser;
    std::vector<std::u16string> lines = {u"mm = 0.001m", u"m = 1000mm"};
    EXPECT_TRUE(CompileUnitDefinitions(parser, lines));
    EXPECT_EQ(parser.FindUnit(u"m"), 1);
    EXPECT_EQ(parser.Units.Count, 9);
}

TEST(UnitCompiler, ExceptionsStopTheCompileAtTheFailingLine)
{
    TEFParser parser;
    std::vector<std::u16string> lines = {u"km = 1000m", u"bad = 1/0", u"h = 3600s"};
    try {
        CompileUnitDefinitions(parser, lines);
        FAIL();
    } catch (const QuorvelError& e) {
        EXPECT_EQ(e.message(), u"Division by zero in SiDiv");
    }
    EXPECT_EQ(lines[1], u"bad = 1/0");
    EXPECT_EQ(parser.Units.Count, 9);
    EXPECT_EQ(parser.FindUnit(u"h"), -1);
}
