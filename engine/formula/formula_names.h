// SPDX-License-Identifier: GPL-3.0-or-later
// The names a formula refers to, read the way the evaluator reads them, without evaluating:
// what a diagram may sweep.
#pragma once

#include "engine/formula/evaluator.h"

#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// The names in formula that the evaluator would look up as variables, defined or not: neither
// a unit nor a function. Each once, in the order of first appearance. The walk stops where the
// evaluator would stop reading (a character behind ")", "²" or "³" that is no operator). The
// parser's state is left as it was.
std::vector<std::u16string> FormulaVariables(TEFParser& parser, std::u16string_view formula);

} // namespace quorvel
