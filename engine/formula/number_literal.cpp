// SPDX-License-Identifier: GPL-3.0-or-later
// Recognising and converting number literals, independent of the C locale.
#include "formula/number_literal.h"

#include "base/quorvel_error.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <string>
#include <system_error>

namespace quorvel {
namespace {

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Whether an out-of-range literal is too large (rather than too small) for a double: the
// decimal exponent of its first significant digit is positive.
bool overflows(std::string_view literal)
{
    const std::size_t exponentAt = literal.find_first_of("eE");
    const std::string_view mantissa = literal.substr(0, exponentAt);
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    const std::size_t first = mantissa.find_first_of("123456789");
    if (first == std::string_view::npos)
        return false;
    const long long magnitude = first < point ? static_cast<long long>(point - first) - 1
                                              : -static_cast<long long>(first - point);
    long long exponent = 0;
    if (exponentAt != std::string_view::npos && exponentAt + 1 < literal.size()) {
        const char* from = literal.data() + exponentAt + 1;
        if (*from == '+')
            ++from;
        if (std::from_chars(from, literal.data() + literal.size(), exponent).ec ==
            std::errc::result_out_of_range)
            exponent = *from == '-' ? -(1LL << 40) : (1LL << 40);
    }
    return magnitude + exponent > 0;
}

} // namespace

void ScanNumber(std::u16string_view text, NumberScan& number)
{
    constexpr std::size_t kMaxPlainDigits = 15;
    number.length = 0;
    number.plain = false;
    const std::size_t n = text.size();
    if (n == 0)
        return;
    const char16_t first = text[0];
    if (first != u'-' && first != u'.' && !isDigit(first))
        return;
    number.negative = first == u'-';
    number.digits = 0;
    number.fraction = 0;
    std::size_t count = 0;
    if (isDigit(first)) {
        number.digits = static_cast<std::uint64_t>(first - u'0');
        count = 1;
    }
    // One "." at most; a literal whose point comes before any digit is not plain.
    bool point = first == u'.';
    bool plain = !point;
    std::size_t i = 1;
    for (; i < n; ++i) {
        const char16_t c = text[i];
        if (isDigit(c)) {
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
    if (i < n && (text[i] == u'E' || text[i] == u'e')) {
        std::size_t take = 0;
        if (i + 1 < n && isDigit(text[i + 1]))
            take = 2;
        else if (i + 2 < n && (text[i + 1] == u'+' || text[i + 1] == u'-') && isDigit(text[i + 2]))
            take = 3;
        if (take > 0) {
            plain = false;
            i += take;
            while (i < n && (isDigit(text[i]) || (text[i] == u'.' && !point))) {
                point = point || text[i] == u'.';
                ++i;
            }
        }
    }
    if (i == 1 && !isDigit(first))
        return;
    number.length = i;
    number.plain =
        plain && count > 0 && count <= kMaxPlainDigits && !(point && number.fraction == 0);
}

double PlainValue(const NumberScan& number)
{
    static constexpr std::array<double, 16> kPowersOfTen = {
        1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const double magnitude = static_cast<double>(number.digits) / kPowersOfTen[number.fraction];
    return number.negative ? -magnitude : magnitude;
}

double StrToReal(std::u16string_view text)
{
    NumberScan number;
    ScanNumber(text, number);
    if (number.plain && number.length == text.size())
        return PlainValue(number);
    // Literals are plain ASCII; anything else does not convert.
    std::string ascii;
    ascii.reserve(text.size());
    for (char16_t c : text) {
        if (c > 0x7F)
            return 0.0;
        ascii.push_back(static_cast<char>(c));
    }
    double value = 0.0;
    const char* begin = ascii.data();
    const char* end = begin + ascii.size();
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec == std::errc::result_out_of_range) {
        if (overflows(ascii))
            throw QuorvelError(u"Floating point overflow");
        return 0.0;
    }
    if (ec != std::errc() || ptr != end)
        return 0.0;
    return value;
}

} // namespace quorvel
