// SPDX-License-Identifier: GPL-3.0-or-later
// The characters the scanner reads as operators. The scanner's routines (NextToken, OPLevel,
// GetBracket, IsOperator) are members of TEFParser, since they count ErrPos and set ErrMsg;
// they live in scanner.cpp.
#pragma once

#include <string_view>

namespace quorvel {

// Every character that ends an operand: the operators, the brackets, the argument separator
// and the postfix squares "²" and "³".
inline constexpr std::u16string_view kOperatorChars = u"+-*/^(;)\u00B2\u00B3";

} // namespace quorvel
