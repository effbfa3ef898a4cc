// SPDX-License-Identifier: GPL-3.0-or-later
// Recognising and converting number literals, independent of the C locale.
#include "engine/formula/number_literal.h"

#include "engine/base/quorvel_error.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <string>
#include <system_error>

namespace quorvel {
namespace {

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

// Every power of ten up to 10^22 is exact in a double.
constexpr std::array<double, 23> kPowersOfTen = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                 1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The value of a literal that takes neither quick road; 0 when it does not convert.
double convertFully(std::u16string_view text)
{
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

// A plain literal's digits divided once by a power of ten, both exact in a double, so that the
// one division rounds as the full conversion would.
double plainValue(const NumberScan& number)
{
    const double magnitude = static_cast<double>(number.digits) / kPowersOfTen[number.fraction];
    return number.negative ? -magnitude : magnitude;
}

// A scaled literal's digits multiplied or divided once by its power of ten, as exactly rounded.
double scaledValue(const NumberScan& number)
{
    const std::int32_t scale = number.exponent - static_cast<std::int32_t>(number.fraction);
    const auto digits = static_cast<double>(number.digits);
    const double magnitude = scale >= 0 ? digits * kPowersOfTen[static_cast<std::size_t>(scale)]
                                        : digits / kPowersOfTen[static_cast<std::size_t>(-scale)];
    return number.negative ? -magnitude : magnitude;
}

} // namespace

double LiteralValue(const NumberScan& number, std::u16string_view literal)
{
    if (number.plain)
        return plainValue(number);
    if (number.scaled)
        return scaledValue(number);
    return convertFully(literal);
}

double StrToReal(std::u16string_view text)
{
    NumberScan number;
    ScanNumber(text, number);
    return number.length == text.size() ? LiteralValue(number, text) : convertFully(text);
}

} // namespace quorvel
