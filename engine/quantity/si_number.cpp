// SPDX-License-Identifier: GPL-3.0-or-later
// Arithmetic on quantities: values as IEEE doubles, dimensions as exponent vectors.
#include "engine/quantity/si_number.h"

#include "engine/base/quorvel_error.h"

namespace quorvel {

TSINumber SiSet(double value, std::int32_t m, std::int32_t kg, std::int32_t s, std::int32_t k,
                std::int32_t a, std::int32_t mol, std::int32_t cd)
{
    return TSINumber{value, {m, kg, s, k, a, mol, cd}};
}

TSINumber SiAdd(const TSINumber& a, const TSINumber& b)
{
    TSINumber r = a;
    r.Value = static_cast<double>(static_cast<long double>(a.Value) + b.Value);
    return r;
}

TSINumber SiSub(const TSINumber& a, const TSINumber& b)
{
    TSINumber r = a;
    r.Value = static_cast<double>(static_cast<long double>(a.Value) - b.Value);
    return r;
}

void SiUnitMul(const TSINumber& a, const TSINumber& b, TSINumber& out)
{
    for (std::size_t i = 0; i < BaseUnitCount; ++i)
        out.Exponents[i] = WrapAdd(a.Exponents[i], b.Exponents[i]);
}

void SiUnitDiv(const TSINumber& a, const TSINumber& b, TSINumber& out)
{
    for (std::size_t i = 0; i < BaseUnitCount; ++i)
        out.Exponents[i] = WrapSub(a.Exponents[i], b.Exponents[i]);
}

TSINumber SiMul(const TSINumber& a, const TSINumber& b)
{
    TSINumber r;
    SiUnitMul(a, b, r);
    r.Value = a.Value * b.Value;
    return r;
}

TSINumber SiDiv(const TSINumber& a, const TSINumber& b)
{
    if (!(b.Value != 0.0)) // a NaN divisor counts as zero too
        throw QuorvelError(u"Division by zero in SiDiv");
    TSINumber r;
    SiUnitDiv(a, b, r);
    r.Value = a.Value / b.Value;
    return r;
}

TSINumber SiUnitPower(const TSINumber& a, std::int32_t n)
{
    TSINumber r = a;
    for (auto& e : r.Exponents)
        e = WrapMul(e, n);
    return r;
}

int SiUnitCount(const TSINumber& a)
{
    int n = 0;
    for (auto e : a.Exponents)
        n += e != 0;
    return n;
}

int SiPosCount(const TSINumber& a)
{
    int n = 0;
    for (auto e : a.Exponents)
        n += e > 0;
    return n;
}

int SiNegCount(const TSINumber& a)
{
    int n = 0;
    for (auto e : a.Exponents)
        n += e < 0;
    return n;
}

} // namespace quorvel
