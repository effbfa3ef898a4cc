// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/formula/float_faults.h"

#include "engine/base/quorvel_error.h"

#include <cstdint>

namespace quorvel {

void RaiseFloatFault(double value, Infinity meaning)
{
    if (std::isnan(value))
        throw QuorvelError(u"Invalid floating point operation");
    if (meaning == Infinity::Pole)
        throw QuorvelError(u"Floating point division by zero");
    throw QuorvelError(u"Floating point overflow");
}

double Power(double b, double e)
{
    if (e == 0.0)
        return 1.0;
    if (b == 0.0 && e > 0.0)
        return 0.0;
    if (e == std::trunc(e) && std::fabs(e) <= 2147483647.0) {
        auto n = static_cast<std::uint64_t>(std::fabs(e));
        double result = 1.0;
        double square = b;
        while (n != 0) {
            if (n & 1u)
                result *= square;
            n >>= 1;
            if (n != 0)
                square *= square;
        }
        return e < 0.0 ? 1.0 / result : result;
    }
    return std::exp(e * std::log(b));
}

} // namespace quorvel
