// SPDX-License-Identifier: GPL-3.0-or-later
// The scanner: it cuts one operand and the operator behind it from the front of the formula
// text, tells an operator's level, and finds the end of a bracket.
#include "engine/formula/scanner.h"

#include "engine/base/text_helpers.h"
#include "engine/formula/evaluator.h"
#include "engine/formula/number_literal.h"

#include <array>
#include <cstdint>

namespace quorvel {

namespace {

// The level of each operator character, -1 for any other character.
constexpr int levelOf(char16_t op)
{
    int level = -1;
    switch (op) {
    case 0:
    case u';':
        level = 0;
        break;
    case u'+':
    case u'-':
        level = 1;
        break;
    case u'*':
    case u'/':
        level = 2;
        break;
    case u'^':
    case u'\u00B2':
    case u'\u00B3':
        level = 3;
        break;
    case u'(':
        level = 4;
        break;
    default:
        break;
    }
    return level;
}

// The same as a table: the evaluator asks for the level of every operator it meets, and the
// switch, spread from 0 to U+00B3, compiles to a chain of comparisons.
constexpr std::array<std::int8_t, 256> kLevels = [] {
    std::array<std::int8_t, 256> table{};
    for (std::size_t c = 0; c < table.size(); ++c)
        table[c] = static_cast<std::int8_t>(levelOf(static_cast<char16_t>(c)));
    return table;
}();

} // namespace

int TEFParser::NextToken(std::u16string_view& rest, std::u16string_view& operand, char16_t& op)
{
    NumberScan number;
    return NextToken(rest, operand, op, number);
}

bool TEFParser::OPLevel(char16_t op, int& level)
{
    const int found = op < kLevels.size() ? kLevels[op] : -1;
    if (found < 0)
        return refuseOperator(op);
    level = found;
    return true;
}

// Out of OPLevel's way: the evaluator asks OPLevel about every operator, and a refusal is rare.
bool TEFParser::refuseOperator(char16_t op)
{
    if (op == u')')
        return SetError(u"\")\" nicht erlaubt in Routine OPLevel");
    return SetError(std::u16string(u"Unbekannter Operator ") + op + u" in Routine OPLevel");
}

bool TEFParser::GetBracket(std::u16string_view& rest, std::u16string_view& inner, char16_t& op)
{
    const std::size_t n = rest.size();
    int depth = 1;
    std::size_t i = 0; // characters scanned; rest[i - 1] is the last one
    while (i < n) {
        const char16_t c = rest[i++];
        if (c == u'(')
            ++depth;
        else if (c == u')' && --depth < 1)
            break;
    }
    if (depth >= 1) {
        SetError(u"Klammerfehler");
        ErrLen = 0;
        return false;
    }
    inner = rest.substr(0, i - 1);
    if (i < n) {
        op = rest[i];
        rest.remove_prefix(i + 1);
    } else {
        op = 0;
        rest = {};
    }
    return true;
}

} // namespace quorvel
