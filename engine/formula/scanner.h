// SPDX-License-Identifier: GPL-3.0-or-later
// The characters the scanner reads as operators. The scanner's routines (NextToken, OPLevel,
// GetBracket, IsOperator) are members of TEFParser, since they count ErrPos and set ErrMsg.
// IsOperator and NextToken are defined here, inline (NextToken always so): the evaluator cuts
// every operand with them, and a call for each operand, with what it cut passed back through
// memory, cost more than the cutting itself. The rest lives in scanner.cpp.
#pragma once

#include "engine/formula/evaluator.h"
#include "engine/formula/number_literal.h"

#include <array>
#include <string_view>

namespace quorvel {

// Every character that ends an operand: the operators, the brackets, the argument separator
// and the postfix squares "²" and "³".
inline constexpr std::u16string_view kOperatorChars = u"+-*/^(;)\u00B2\u00B3";

// The operator characters as a table: the scanner asks about every character it passes.
// All of them lie below U+0100.
inline constexpr std::array<bool, 256> kOperatorTable = [] {
    std::array<bool, 256> table{};
    for (char16_t c : kOperatorChars)
        table[c] = true;
    return table;
}();

inline bool TEFParser::IsOperator(char16_t ch, char16_t& op)
{
    const bool is = ch < kOperatorTable.size() && kOperatorTable[ch];
    if (!is)
        return false;
    op = ch;
    return true;
}

[[gnu::always_inline]] inline int TEFParser::NextToken(std::u16string_view& rest,
                                                       std::u16string_view& operand, char16_t& op,
                                                       NumberScan& number)
{
    const std::size_t n = rest.size();
    if (rest.front() == u'(') {
        op = u'(';
        operand = {};
        rest.remove_prefix(1);
        return 0;
    }
    op = 0;
    ScanNumber(rest, number);
    const std::size_t k = number.length;
    if (k > 0) {
        operand = rest.substr(0, k);
        if (k < n && !IsOperator(rest[k], op)) {
            // A number glued to what follows: «3km» is 3 * km. The "*" is not in the text, so
            // the count its case adds is taken back here.
            op = u'*';
            --ErrPos;
            rest.remove_prefix(k);
        } else {
            rest.remove_prefix(k < n ? k + 1 : n);
        }
        return 1;
    }
    // 0-based index of the first operator; the first character never counts as one, so a
    // leading sign stays with its operand.
    std::size_t p = n;
    for (std::size_t i = 1; i < n; ++i) {
        if (IsOperator(rest[i], op)) {
            p = i;
            break;
        }
    }
    operand = rest.substr(0, p);
    rest.remove_prefix(p < n ? p + 1 : n);
    return 2;
}

} // namespace quorvel
