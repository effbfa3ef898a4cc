// SPDX-License-Identifier: GPL-3.0-or-later
// Each routine pops its arguments (last argument first), pushes exactly one result, and
// reports whether it accepts the arguments' dimensions.
#include "engine/formula/builtin_functions.h"

#include "engine/base/quorvel_error.h"
#include "engine/formula/evaluator.h"
#include "engine/formula/float_faults.h"

#include <cmath>

namespace quorvel {
namespace {

// Degrees to radians as the program has always used it: eight digits, not pi/180.
constexpr long double kDeg = 0.01745329L;

double finite(double value, Infinity meaning = Infinity::Overflow)
{
    return CheckFinite(value, meaning);
}

// Products with the degree factor are formed in extended precision, as the program always did.
double degrees(double v)
{
    return static_cast<double>(v * kDeg);
}

// One argument in, a value with the argument's exponents out. A dimension is refused with
// "No units allowed", or without a message of its own where Silent says so. Where the function
// has poles, an infinite result is a division by zero.
enum class Refusal { Message, Silent };

template <double (*F)(double), Refusal R = Refusal::Message, Infinity I = Infinity::Overflow>
bool oneArgument(TEFParser& p)
{
    TSINumber x;
    if (!p.Pop(x))
        return false;
    TSINumber r = x;
    r.Value = finite(F(x.Value), I);
    p.Push(r);
    if (SiUnitCount(x) == 0)
        return true;
    return R == Refusal::Message ? p.SetError(u"No units allowed") : false;
}

double sinF(double v)
{
    return std::sin(v);
}
double cosF(double v)
{
    return std::cos(v);
}
double tanF(double v)
{
    return std::tan(v);
}
double sinrF(double v)
{
    return std::sin(degrees(v));
}
double cosrF(double v)
{
    return std::cos(degrees(v));
}
double tanrF(double v)
{
    return std::tan(degrees(v));
}
double arcsinF(double v)
{
    return std::atan2(v, std::sqrt(1 - v * v));
}
double arccosF(double v)
{
    return std::atan2(std::sqrt(1 - v * v), v);
}
double arctanF(double v)
{
    return std::atan(v);
}
double radF(double v)
{
    return degrees(v);
}
double gradF(double v)
{
    return static_cast<double>(v / kDeg);
}
double expF(double v)
{
    return std::exp(v);
}
double exp10F(double v)
{
    return std::exp(v * std::log(10.0));
}
double sinhF(double v)
{
    return std::fabs(v) <= 1e-16 ? 0.0 : (std::exp(v) - std::exp(-v)) / 2;
}
double coshF(double v)
{
    return std::fabs(v) <= 1e-16 ? 1.0 : (std::exp(v) + std::exp(-v)) / 2;
}
double fracF(double v)
{
    return v - std::trunc(v);
}

double lnF(double v)
{
    return std::log(v);
}
double log10F(double v)
{
    return std::log10(v);
}
double cotanF(double v)
{
    return 1 / std::tan(v);
}

bool sqrtFn(TEFParser& p)
{
    TSINumber x;
    if (!p.Pop(x))
        return false;
    TSINumber r = x;
    r.Value = finite(std::sqrt(x.Value));
    bool odd = false;
    for (std::size_t b = 0; b < BaseUnitCount; ++b) {
        const double half = x.Exponents[b] / 2.0;
        if (std::fabs(half - std::trunc(half)) > 0.1)
            odd = true;
        r.Exponents[b] = static_cast<std::int32_t>(std::nearbyint(half));
    }
    p.Push(r);
    if (odd)
        return p.SetError(u"No odd units allowed");
    return true;
}

bool absFn(TEFParser& p)
{
    TSINumber x;
    if (!p.Pop(x))
        return false;
    x.Value = std::fabs(x.Value);
    p.Push(x);
    return true;
}

bool truncFn(TEFParser& p)
{
    TSINumber x;
    if (!p.Pop(x))
        return false;
    // The cut goes through a 64-bit integer, which cannot hold larger magnitudes.
    if (!(std::fabs(x.Value) < 9223372036854775808.0))
        throw QuorvelError(u"Invalid floating point operation");
    x.Value = static_cast<double>(static_cast<std::int64_t>(x.Value));
    p.Push(x);
    return true;
}

bool signFn(TEFParser& p)
{
    TSINumber x;
    if (!p.Pop(x))
        return false;
    p.Push(TSINumber{x.Value >= 0 ? 1.0 : -1.0, {}});
    return SiUnitCount(x) == 0;
}

template <bool Larger> bool extremeFn(TEFParser& p)
{
    TSINumber b;
    TSINumber a;
    if (!p.Pop(b) || !p.Pop(a))
        return false;
    const bool takeFirst = Larger ? a.Value > b.Value : a.Value < b.Value;
    TSINumber r = a;
    r.Value = takeFirst ? a.Value : b.Value;
    p.Push(r);
    if (!SiSameUnit(a, b))
        return p.SetError(u"unit conflict Error");
    return true;
}

bool powerFn(TEFParser& p)
{
    TSINumber base;
    TSINumber exponent;
    if (!p.Pop(base) || !p.Pop(exponent))
        return false;
    const double v = Power(base.Value, exponent.Value);
    p.Push(TSINumber{CheckFinite(v, base.Value == 0.0 ? Infinity::Pole : Infinity::Overflow), {}});
    return SiUnitCount(exponent) == 0;
}

bool rhoLuftFn(TEFParser& p)
{
    TSINumber pressure;
    TSINumber celsius;
    if (!p.Pop(pressure) || !p.Pop(celsius))
        return false;
    const long double kelvin = static_cast<long double>(celsius.Value) + 273;
    const long double rho = pressure.Value / (kelvin * 287);
    p.Push(
        SiSet(finite(static_cast<double>(rho), kelvin == 0 ? Infinity::Pole : Infinity::Overflow),
              -3, 1, 0, 0, 0, 0, 0));
    return true;
}

} // namespace

void RegisterBuiltinFunctions(TEFParser& parser)
{
    parser.AddFunction(u"SIN", oneArgument<sinF>, 1);
    parser.AddFunction(u"COS", oneArgument<cosF>, 1);
    parser.AddFunction(u"TAN", oneArgument<tanF>, 1);
    parser.AddFunction(u"SINR", oneArgument<sinrF>, 1);
    parser.AddFunction(u"COSR", oneArgument<cosrF>, 1);
    parser.AddFunction(u"TANR", oneArgument<tanrF>, 1);
    parser.AddFunction(u"ARCSIN", oneArgument<arcsinF>, 1);
    parser.AddFunction(u"ARCCOS", oneArgument<arccosF>, 1);
    parser.AddFunction(u"ARCTAN", oneArgument<arctanF>, 1);
    parser.AddFunction(u"COTAN", oneArgument<cotanF, Refusal::Message, Infinity::Pole>, 1);
    parser.AddFunction(u"RAD", oneArgument<radF, Refusal::Silent>, 1);
    parser.AddFunction(u"GRAD", oneArgument<gradF, Refusal::Silent>, 1);
    parser.AddFunction(u"LN", oneArgument<lnF, Refusal::Message, Infinity::Pole>, 1);
    parser.AddFunction(u"LOG10", oneArgument<log10F, Refusal::Message, Infinity::Pole>, 1);
    parser.AddFunction(u"SINH", oneArgument<sinhF>, 1);
    parser.AddFunction(u"COSH", oneArgument<coshF>, 1);
    parser.AddFunction(u"EXP", oneArgument<expF>, 1);
    parser.AddFunction(u"EXP10", oneArgument<exp10F>, 1);
    parser.AddFunction(u"SQRT", sqrtFn, 1);
    parser.AddFunction(u"ABS", absFn, 1);
    parser.AddFunction(u"TRUNC", truncFn, 1);
    parser.AddFunction(u"FRAC", oneArgument<fracF, Refusal::Silent>, 1);
    parser.AddFunction(u"SIGN", signFn, 1);
    parser.AddFunction(u"MAX", extremeFn<true>, 2);
    parser.AddFunction(u"MIN", extremeFn<false>, 2);
    parser.AddFunction(u"POWER", powerFn, 2);
    parser.AddFunction(u"RhoLuft", rhoLuftFn, 2);
}

} // namespace quorvel
