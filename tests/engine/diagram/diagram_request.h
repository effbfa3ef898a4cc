// SPDX-License-Identifier: GPL-3.0-or-later
// A diagram request as the tests write one: formulas over one variable, from, to and the number
// of points. Shared by the engine's diagram tests and the window tests.
#pragma once

#include "engine/diagram/sampling.h"

#include <initializer_list>
#include <string>
#include <utility>

namespace quorvel {

inline DiagramRequest DiagramRequestFor(std::initializer_list<std::u16string> formulas,
                                        std::u16string variable, std::u16string from,
                                        std::u16string to, std::int32_t points)
{
    DiagramRequest request{{}, std::move(variable), std::move(from), std::move(to), points};
    for (const std::u16string& formula : formulas)
        request.curves.push_back({formula, {}, {}, {}});
    return request;
}

} // namespace quorvel
