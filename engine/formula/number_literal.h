// SPDX-License-Identifier: GPL-3.0-or-later
// Number literals as formulas and worksheet lines write them: an optional "-", digits with at
// most one ".", and an optional exponent ("E" or "e", an optional sign, digits).
#pragma once

#include <cstddef>
#include <string_view>

namespace quorvel {

// Length of the number literal at the start of text, 0 when there is none ("-" and "." alone
// are no numbers).
std::size_t NumberLength(std::u16string_view text);

// The value of a literal cut by NumberLength; 0 when it does not convert. Raises
// "Floating point overflow" when the literal lies beyond the range of a double.
double StrToReal(std::u16string_view text);

} // namespace quorvel
