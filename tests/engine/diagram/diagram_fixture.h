// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the diagram tests: a page's evaluator with the default units, and requests for it.
#pragma once

#include "engine/base/quorvel_error.h"
#include "engine/diagram/sampling.h"
#include "engine/unit_definitions/unit_compiler.h"
#include "engine/worksheet/line_evaluation.h"
#include "tests/engine/diagram/diagram_request.h"

#include <gtest/gtest.h>

#include <string>

namespace quorvel::testing {

class DiagramTest : public ::testing::Test
{
protected:
    DiagramTest()
    {
        std::vector<std::u16string> units = DefaultUnitDefinitions();
        CompileUnitDefinitions(parser, units);
    }

    // Enter on each line, as the page holds them above the diagram's line.
    void page(std::initializer_list<std::u16string_view> lines)
    {
        for (const std::u16string_view line : lines)
            evaluator.EvalSheetLine(line, 0);
    }

    DiagramData sample(std::initializer_list<std::u16string> formulas, std::u16string variable,
                       std::u16string from, std::u16string to, std::int32_t points)
    {
        return SampleDiagram(parser, DiagramRequestFor(formulas, std::move(variable),
                                                       std::move(from), std::move(to), points));
    }

    // The message SampleDiagram refuses the request with, or a marker when it draws it.
    std::u16string refusal(std::initializer_list<std::u16string> formulas, std::u16string variable,
                           std::u16string from, std::u16string to, std::int32_t points = 11)
    {
        try {
            sample(formulas, std::move(variable), std::move(from), std::move(to), points);
        } catch (const QuorvelError& e) {
            return e.message();
        }
        return u"(drawn)";
    }

    TEFParser parser;
    LineEvaluator evaluator{parser};
};

} // namespace quorvel::testing
