// SPDX-License-Identifier: GPL-3.0-or-later
// Diagrams for the window tests, sampled as the dialog samples them: page lines evaluated, then
// formulas over one variable.
#pragma once

#include "engine/diagram/sampling.h"
#include "engine/unit_definitions/unit_compiler.h"
#include "engine/worksheet/line_evaluation.h"
#include "tests/engine/diagram/diagram_request.h"

#include <initializer_list>
#include <string>

namespace quorvel::test {

inline DiagramData sampleDiagram(std::initializer_list<std::u16string_view> page,
                                 std::initializer_list<std::u16string> formulas,
                                 std::u16string variable, std::u16string from, std::u16string to,
                                 std::int32_t points)
{
    TEFParser parser;
    std::vector<std::u16string> units = DefaultUnitDefinitions();
    CompileUnitDefinitions(parser, units);
    LineEvaluator lines(parser);
    for (const std::u16string_view line : page)
        lines.EvalSheetLine(line, 0);
    return SampleDiagram(parser, DiagramRequestFor(formulas, std::move(variable), std::move(from),
                                                   std::move(to), points));
}

// v*t over t from 0s to 10s in 11 points, v = 3m/s: the values 0, 3, ... 30 m.
inline DiagramData distanceDiagram()
{
    return sampleDiagram({u"v = 3m/s"}, {u"v*t"}, u"t", u"0s", u"10s", 11);
}

} // namespace quorvel::test
