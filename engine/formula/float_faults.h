// SPDX-License-Identifier: GPL-3.0-or-later
// The engine's floating-point faults: IEEE arithmetic does not trap, so every operator and
// built-in function passes its result through CheckFinite, which raises the fault's message.
#pragma once

#include <cmath>

namespace quorvel {

// What an infinite result means for the operation that produced it.
enum class Infinity { Overflow, Pole };

[[noreturn]] void RaiseFloatFault(double value, Infinity meaning);

inline double CheckFinite(double value, Infinity meaning = Infinity::Overflow)
{
    if (!std::isfinite(value)) [[unlikely]]
        RaiseFloatFault(value, meaning);
    return value;
}

// b to the power e: repeated squaring for whole exponents, exp(e ln b) otherwise.
double Power(double b, double e);

} // namespace quorvel
