// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/formula/formula_names.h"
#include "engine/unit_definitions/unit_compiler.h"

#include <gtest/gtest.h>

using namespace quorvel;

TEST(FormulaNames, VariablesAreTheNamesLookedUpAsVariables)
{
    TEFParser p;
    std::vector<std::u16string> units = DefaultUnitDefinitions();
    CompileUnitDefinitions(p, units);
    using Names = std::vector<std::u16string>;
    const std::pair<std::u16string, Names> cases[] = {
        {u"v*t", {u"v", u"t"}},
        {u"v * t + v", {u"v", u"t"}},
        {u"3km*x+SIN(y)/m", {u"x", u"y"}},
        {u"2x+max(a;b)", {u"x", u"a", u"b"}},
        {u"(a+b)*c", {u"a", u"b", u"c"}},
        {u"(a)(b)", {u"a", u"b"}},
        {u"Pi*r\u00B2*hoch", {u"Pi", u"r", u"hoch"}},
        {u"f(x)", {u"f", u"x"}},
        {u"a*-b", {u"a", u"-b"}},
        {u"x\u00B2y+z", {u"x"}},
        {u"(x)y", {u"x"}},
        {u"N*kW/St\u00FCck", {}},
        {u"", {}},
    };
    for (const auto& [formula, names] : cases)
        EXPECT_EQ(FormulaVariables(p, formula), names)
            << std::string(formula.begin(), formula.end());
    p.ErrPos = 7;
    FormulaVariables(p, u"3km*x");
    EXPECT_EQ(p.ErrPos, 7) << "the parser's state is kept";
}
