// SPDX-License-Identifier: GPL-3.0-or-later
// Compiling the user's unit definition lines ("name = formula ; comment") into the unit table.
#pragma once

#include "engine/formula/evaluator.h"

#include <string>
#include <vector>

namespace quorvel {

// N, Pa, J, W, kW, g, h, min, mm, km, l, ml, €, Stück.
const std::vector<std::u16string>& DefaultUnitDefinitions();

// A line that did not compile: its index and the evaluator's message.
struct UnitLineFailure
{
    std::size_t line = 0;
    std::u16string message;
};

// Rebuilds parser.Units from the base units and the lines in order, each formula seeing only
// the units above it. Every non-blank line is rewritten as name " = " formula, with "; " and
// the error text behind it when it fails. Returns true when every line compiled; the lines
// that failed are appended to *failures when it is given. Exceptions out of the evaluator pass
// through, leaving the failing line and those below unchanged; the failing line's index is
// then in *raisingLine when it is given.
bool CompileUnitDefinitions(TEFParser& parser, std::vector<std::u16string>& lines,
                            std::size_t* raisingLine = nullptr,
                            std::vector<UnitLineFailure>* failures = nullptr);

} // namespace quorvel
