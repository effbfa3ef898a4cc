// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the formula tests: evaluate a text and look at value, dimension and error state.
#pragma once

#include "engine/base/quorvel_error.h"
#include "engine/formula/evaluator.h"

#include <string>

namespace quorvel::testing {

struct Outcome
{
    bool ok = false;
    TSINumber value;
    std::u16string message;
    int errPos = 0;
    int errLen = 0;
    std::u16string rest;
};

inline Outcome evaluate(TEFParser& parser, std::u16string formula)
{
    Outcome o;
    o.ok = parser.Evaluate(o.value, formula);
    o.message = parser.ErrMsg;
    o.errPos = parser.ErrPos;
    o.errLen = parser.ErrLen;
    o.rest = formula;
    return o;
}

// The message of the engine exception the evaluation raises, or a marker when none is raised.
inline std::u16string raised(TEFParser& parser, std::u16string formula)
{
    try {
        evaluate(parser, std::move(formula));
    } catch (const QuorvelError& e) {
        return e.message();
    }
    return u"(nothing raised)";
}

inline TSINumber dims(std::int32_t m, std::int32_t kg, std::int32_t s)
{
    return SiSet(1, m, kg, s, 0, 0, 0, 0);
}

} // namespace quorvel::testing
