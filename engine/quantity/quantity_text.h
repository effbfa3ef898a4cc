// SPDX-License-Identifier: GPL-3.0-or-later
// Writing quantities as text: numbers with "." and up to ten decimals, and units chosen from
// the units a formula named (the Used marks of the unit table) or composed from base units.
#pragma once

#include "engine/quantity/si_lists.h"

#include <cstdint>
#include <string>

namespace quorvel {

// "" for 1, "²" and "³" for 2 and 3, otherwise "^n".
std::u16string ExponentStr(std::int32_t n);

// The dimension in base units, kg first: «kgm/s²», «*1/s», «kgm²/(s²K)».
std::u16string SiUnitToStr(const TSINumber& x);

// Fixed-point with ten decimals, trailing zeros and a trailing point removed.
std::u16string RealToText(double v);

// v in fixed-point with exactly `decimals` decimals (at most 18).
std::u16string FixedText(double v, std::int32_t decimals);

// The first Used entry of x's dimension in table order, else the first of that dimension.
// Returns false (and u = the unnamed dimensionless entry) when the table has none.
bool FindSameUnit(const TSIVarList& table, const TSINumber& x, TSIVar& u);

// A unit composed of the preferred unit of each base dimension; divisor is its SI value.
// Raises "Zero Unit in UsedUnitToStr" when a factor is (nearly) zero.
void UsedUnitToStr(const TSIVarList& table, const TSINumber& x, double& divisor,
                   std::u16string& text);

double IntPow(std::int32_t n, double x);

// The unit a result is written in: the preferred entry of x's dimension (FindSameUnit), else
// one composed from the base dimensions (UsedUnitToStr). x.Value / divisor is the number shown.
// Raises as Strwandeln does for a unit of value zero.
void ShownUnit(const TSIVarList& table, const TSINumber& x, double& divisor, std::u16string& text);

// The result text: number immediately followed by the unit. digits 0: up to ten decimals;
// -n: exactly n decimals; n: n decimals when that is shorter than the general form.
std::u16string Strwandeln(const TSIVarList& table, const TSINumber& x, std::int32_t digits);
// The same into text, whose room is reused from line to line; text is untouched when it raises.
void Strwandeln(const TSIVarList& table, const TSINumber& x, std::int32_t digits,
                std::u16string& text);
// What Strwandeln wrote besides the text: its unit's SI value (x.Value / divisor is the number
// shown, in full) and where the unit starts in the text.
struct ShownParts
{
    double divisor = 1.0;
    std::size_t unitStart = 0;
};
void Strwandeln(const TSIVarList& table, const TSINumber& x, std::int32_t digits,
                std::u16string& text, ShownParts& parts);

} // namespace quorvel
