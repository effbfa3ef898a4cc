// SPDX-License-Identifier: GPL-3.0-or-later
// Walking a formula operand by operand with the scanner, as EvalExpr would, to collect names.
#include "engine/formula/formula_names.h"

#include "engine/base/text_helpers.h"
#include "engine/formula/scanner.h"

#include <algorithm>

namespace quorvel {
namespace {

// Behind these the evaluator reads the next character as an operator, never as an operand:
// ")" ends GetBracket, "²" and "³" take no right operand.
bool closesOperand(char16_t op)
{
    return op == u')' || op == u'\u00B2' || op == u'\u00B3';
}

} // namespace

std::vector<std::u16string> FormulaVariables(TEFParser& parser, std::u16string_view formula)
{
    const std::u16string prepared = RemoveChar(Trim(formula), u' ');
    const std::int32_t errPos = parser.ErrPos; // NextToken counts positions
    std::vector<std::u16string> names;
    std::u16string_view rest = prepared;
    while (!rest.empty()) {
        std::u16string_view operand;
        char16_t op = 0;
        const int kind = parser.NextToken(rest, operand, op);
        if (kind == 2 && !operand.empty() && parser.FindUnit(operand) < 1 &&
            parser.FindFunction(operand) < 0 &&
            std::find(names.begin(), names.end(), operand) == names.end())
            names.emplace_back(operand);
        while (closesOperand(op) && !rest.empty()) {
            if (!TEFParser::IsOperator(rest.front(), op)) {
                rest = {}; // the evaluator stops here with an unknown operator
                break;
            }
            rest.remove_prefix(1);
        }
    }
    parser.ErrPos = errPos;
    return names;
}

} // namespace quorvel
