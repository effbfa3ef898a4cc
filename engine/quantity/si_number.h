// SPDX-License-Identifier: GPL-3.0-or-later
// A physical quantity: a magnitude in SI base units and the integer exponents of the seven
// base units. Plain value type; every operation is allocation-free.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace quorvel {

// Storage order of the exponents. Text order differs (kg before m), see quantity_text.h.
enum BaseUnit : std::size_t { M = 0, KG, S, KELVIN, AMPERE, MOL, CD, BaseUnitCount };

struct TSINumber
{
    double Value = 0.0;
    std::array<std::int32_t, BaseUnitCount> Exponents{};
};

inline constexpr TSINumber SiOne{1.0, {}};
inline constexpr TSINumber SiZero{0.0, {}};

TSINumber SiSet(double value, std::int32_t m, std::int32_t kg, std::int32_t s, std::int32_t k,
                std::int32_t a, std::int32_t mol, std::int32_t cd);

// Sum and difference keep a's dimension and do not compare dimensions: the evaluator does.
TSINumber SiAdd(const TSINumber& a, const TSINumber& b);
TSINumber SiSub(const TSINumber& a, const TSINumber& b);
TSINumber SiMul(const TSINumber& a, const TSINumber& b);
// Raises "Division by zero in SiDiv" when b.Value is 0 (or NaN), whatever b's dimension.
TSINumber SiDiv(const TSINumber& a, const TSINumber& b);

// Only the exponents of out are written; out.Value stays as it was.
void SiUnitMul(const TSINumber& a, const TSINumber& b, TSINumber& out);
void SiUnitDiv(const TSINumber& a, const TSINumber& b, TSINumber& out);
// Copy of a with every exponent multiplied by n; the Value is left for the caller to raise.
TSINumber SiUnitPower(const TSINumber& a, std::int32_t n);

// Inline: the unit search calls it for every table entry. Most entries differ in the first
// exponent already, so comparing one by one beats a call to memcmp.
inline bool SiSameUnit(const TSINumber& a, const TSINumber& b)
{
    for (std::size_t i = 0; i < BaseUnitCount; ++i) {
        if (a.Exponents[i] != b.Exponents[i])
            return false;
    }
    return true;
}
int SiUnitCount(const TSINumber& a);
int SiPosCount(const TSINumber& a);
int SiNegCount(const TSINumber& a);

// Exponent arithmetic wraps like the 32-bit integers it models instead of being undefined.
inline std::int32_t WrapAdd(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}
inline std::int32_t WrapSub(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) - static_cast<std::uint32_t>(b));
}
inline std::int32_t WrapMul(std::int32_t a, std::int32_t b)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) * static_cast<std::uint32_t>(b));
}

} // namespace quorvel
