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
    // the point give its value exactly (LiteralValue).
    bool plain = false;
    // A plain literal with an exponent ("2.9E4", "5e-3") whose power of ten, less the digits
    // behind the point, lies within 22 either way: that power is exact in a double as well, so
    // one multiplication or division gives the value exactly rounded (LiteralValue).
    bool scaled = false;
    bool negative = false;
    std::uint64_t digits = 0;
    std::size_t fraction = 0;
    std::int32_t exponent = 0; // the literal's own, behind the "E"
};

inline bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Reads the number literal at the start of text, in one pass for both its length and, when
// it is plain, its value. Written into number member by member: a returned copy would be read
// back wider than it was written, which stalls the processor on every operand. Always inlined,
// as the scanner's NextToken is: the evaluator reads every operand through both, and as calls
// they cost more than the reading.
[[gnu::always_inline]] inline void ScanNumber(std::u16string_view text, NumberScan& number)
{
    constexpr std::size_t kMaxPlainDigits = 15;
    constexpr std::int32_t kMaxExactPower = 22;
    number.length = 0;
    number.plain = false;
    number.scaled = false;
    const std::size_t n = text.size();
    if (n == 0)
        return;
    const char16_t first = text[0];
    if (first != u'-' && first != u'.' && !IsDigit(first))
        return;
    number.negative = first == u'-';
    number.digits = 0;
    number.fraction = 0;
    std::size_t count = 0;
    if (IsDigit(first)) {
        number.digits = static_cast<std::uint64_t>(first - u'0');
        count = 1;
    }
    // One "." at most; a literal whose point comes before any digit is not plain.
    bool point = first == u'.';
    bool plain = !point;
    std::size_t i = 1;
    for (; i < n; ++i) {
        const char16_t c = text[i];
        if (IsDigit(c)) {
            // Beyond 19 digits the sum wraps, but then the literal is not plain anyway.
            number.digits = number.digits * 10 + static_cast<std::uint64_t>(c - u'0');
            ++count;
            number.fraction += point ? 1 : 0;
        } else if (c == u'.' && !point) {
            point = true;
            plain = plain && count > 0;
        } else {
            break;
        }
    }
    // The digits alone would make a plain literal; an exponent makes it a scaled one at most.
    const bool plainDigits =
        plain && count > 0 && count <= kMaxPlainDigits && !(point && number.fraction == 0);
    bool exponent = false;
    if (i < n && (text[i] == u'E' || text[i] == u'e')) {
        std::size_t take = 0;
        if (i + 1 < n && IsDigit(text[i + 1]))
            take = 2;
        else if (i + 2 < n && (text[i + 1] == u'+' || text[i + 1] == u'-') && IsDigit(text[i + 2]))
            take = 3;
        if (take > 0) {
            const bool towardsZero = take == 3 && text[i + 1] == u'-';
            i += take;
            std::int32_t power = text[i - 1] - u'0';
            // A point in the exponent («1e5.5») leaves the literal to the full conversion.
            bool pointInExponent = false;
            while (i < n && (IsDigit(text[i]) || (text[i] == u'.' && !point))) {
                if (text[i] == u'.') {
                    point = true;
                    pointInExponent = true;
                } else if (power <= 2 * kMaxExactPower) {
                    power = power * 10 + (text[i] - u'0');
                }
                ++i;
            }
            number.exponent = towardsZero ? -power : power;
            const std::int32_t scale = number.exponent - static_cast<std::int32_t>(number.fraction);
            number.scaled = plainDigits && !pointInExponent && scale >= -kMaxExactPower &&
                            scale <= kMaxExactPower;
            exponent = true;
        }
    }
    if (i == 1 && !IsDigit(first))
        return;
    number.length = i;
    number.plain = plainDigits && !exponent;
}

// The value of the literal ScanNumber read as number (literal is its text): by the quick road
// it takes, else by the full conversion. 0 when it does not convert; raises "Floating point
// overflow" when it lies beyond the range of a double.
double LiteralValue(const NumberScan& number, std::u16string_view literal);

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
