// SPDX-License-Identifier: GPL-3.0-or-later
// Number literals as formulas and worksheet lines write them: an optional "-", digits with at
// most one ".", and an optional exponent ("E" or "e", an optional sign, digits).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quorvel {

// What ScanNumber read at the start of a text.
struct NumberScan
{
    // Length of the literal, 0 when there is none ("-" and "." alone are no numbers).
    std::size_t length = 0;
    // A literal as people type them ("12", "-2.5", "0.001"): at most 15 digits, no exponent, a
    // point only between digits. Its digits as a whole number and the number of them behind
    // the point give its value exactly (PlainValue).
    bool plain = false;
    bool negative = false;
    std::uint64_t digits = 0;
    std::size_t fraction = 0;
};

// Reads the number literal at the start of text, in one pass for both its length and, when
// it is plain, its value. Written into number member by member: a returned copy would be read
// back wider than it was written, which stalls the processor on every operand.
void ScanNumber(std::u16string_view text, NumberScan& number);

// The value of a plain literal: its digits divided once by a power of ten, both exact in a
// double, so that the one division rounds as the full conversion would.
double PlainValue(const NumberScan& number);

// Length of the number literal at the start of text, 0 when there is none.
inline std::size_t NumberLength(std::u16string_view text)
{
    NumberScan number;
    ScanNumber(text, number);
    return number.length;
}

// The value of a literal cut by NumberLength; 0 when it does not convert. Raises
// "Floating point overflow" when the literal lies beyond the range of a double.
double StrToReal(std::u16string_view text);

} // namespace quorvel
