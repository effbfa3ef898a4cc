// SPDX-License-Identifier: GPL-3.0-or-later
// Number and unit texts of results.
#include "engine/quantity/quantity_text.h"

#include "engine/base/quorvel_error.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace quorvel {
namespace {

constexpr std::array<BaseUnit, BaseUnitCount> kTextOrder = {KG, M, S, KELVIN, AMPERE, MOL, CD};
// Symbols indexed by storage order.
constexpr std::array<std::u16string_view, BaseUnitCount> kSymbols = {u"m", u"kg",  u"s", u"K",
                                                                     u"A", u"mol", u"cd"};

constexpr int kMaxFixedDecimals = 18;

void appendAscii(std::u16string& out, const char* begin, const char* end)
{
    // Widened in place: append(begin, end) of another character type builds a temporary
    // string first, on the heap once it is longer than a few characters.
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(end - begin));
    std::copy(begin, end, out.begin() + static_cast<std::ptrdiff_t>(start));
}

// "-0.000" is written as "0.000": a sign on a value that rounds to zero says nothing.
void dropNegativeZero(char* begin, char*& end)
{
    if (begin == end || *begin != '-')
        return;
    for (const char* p = begin + 1; p != end; ++p) {
        if (*p != '0' && *p != '.')
            return;
    }
    std::copy(begin + 1, end, begin);
    --end;
}

constexpr double kWholeExact = 9007199254740992.0; // 2^53: every double beyond is whole
constexpr int kGeneralDecimals = 10;
constexpr std::uint64_t kGeneralScale = 10'000'000'000; // 10^kGeneralDecimals

__extension__ using Uint128 = unsigned __int128;

// round(f * 10^10) for 0 <= f < 1, exactly and with ties to even, as the exact fixed-point
// conversion rounds. f is m * 2^-shift; the product m * 10^10 fits in 87 bits.
std::uint64_t scaledFraction(double f)
{
    const auto bits = std::bit_cast<std::uint64_t>(f);
    const int biased = static_cast<int>(bits >> 52);
    std::uint64_t m = bits & ((std::uint64_t{1} << 52) - 1);
    int shift = 1074;
    if (biased != 0) {
        m |= std::uint64_t{1} << 52;
        shift = 1075 - biased;
    }
    if (shift >= 128)
        return 0; // below 2^-75: far less than half of the last decimal
    const Uint128 n = Uint128{m} * kGeneralScale;
    auto q = static_cast<std::uint64_t>(n >> shift);
    const Uint128 rest = n - (Uint128{q} << shift);
    const Uint128 half = Uint128{1} << (shift - 1);
    if (rest > half || (rest == half && (q & 1) != 0))
        ++q;
    return q;
}

// RealToText's characters: fixed-point with ten decimals, trailing zeros and point removed.
// Below 2^53 the whole part and the ten decimals are computed in integers, far cheaper than the
// general exact conversion that the rest goes through.
char* generalText(char* begin, char* last, double v)
{
    const double magnitude = std::fabs(v);
    if (!(magnitude < kWholeExact)) {
        char* end = std::to_chars(begin, last, v, std::chars_format::fixed, kGeneralDecimals).ptr;
        // Ten decimals always produce a point; strip the zeros behind it, then the point.
        while (end[-1] == '0')
            --end;
        if (end[-1] == '.')
            --end;
        dropNegativeZero(begin, end);
        return end;
    }
    double whole = std::trunc(magnitude);
    std::uint64_t fraction = scaledFraction(magnitude - whole);
    if (fraction == kGeneralScale) {
        whole += 1.0;
        fraction = 0;
    }
    char* p = begin;
    if (v < 0 && (whole != 0.0 || fraction != 0))
        *p++ = '-'; // a value that rounds to zero is written without its sign
    p = std::to_chars(p, last, static_cast<std::uint64_t>(whole)).ptr;
    if (fraction != 0) {
        // Two digits a step, from the back, as the library's integer conversion does.
        static constexpr std::string_view kPairs = "0001020304050607080910111213141516171819"
                                                   "2021222324252627282930313233343536373839"
                                                   "4041424344454647484950515253545556575859"
                                                   "6061626364656667686970717273747576777879"
                                                   "8081828384858687888990919293949596979899";
        char digits[kGeneralDecimals];
        int i = kGeneralDecimals;
        for (; i >= 2; i -= 2) {
            const auto pair = static_cast<std::size_t>(fraction % 100) * 2;
            fraction /= 100;
            digits[i - 2] = kPairs[pair];
            digits[i - 1] = kPairs[pair + 1];
        }
        if (i == 1)
            digits[0] = static_cast<char>('0' + fraction);
        int used = kGeneralDecimals;
        while (digits[used - 1] == '0')
            --used;
        *p++ = '.';
        p = std::copy(digits, digits + used, p);
    }
    return p;
}

// FixedText's characters.
char* fixedText(char* begin, char* last, double v, std::int32_t decimals)
{
    const int precision =
        decimals < 0 ? 0 : (decimals > kMaxFixedDecimals ? kMaxFixedDecimals : decimals);
    char* end = std::to_chars(begin, last, v, std::chars_format::fixed, precision).ptr;
    dropNegativeZero(begin, end);
    return end;
}

// ExponentStr's text appended to out, without a string of its own.
void appendExponent(std::u16string& out, std::int32_t n)
{
    switch (n) {
    case 1:
        return;
    case 2:
        out += u'\u00B2';
        return;
    case 3:
        out += u'\u00B3';
        return;
    default: {
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
        out += u'^';
        appendAscii(out, digits, end);
        return;
    }
    }
}

// Appends the unit terms for exponents x with names[b] standing for base unit b.
void composeUnit(std::u16string& text, const TSINumber& x,
                 const std::array<std::u16string_view, BaseUnitCount>& names)
{
    const int positive = SiPosCount(x);
    const int negative = SiNegCount(x);
    if (positive > 0) {
        for (BaseUnit b : kTextOrder) {
            if (x.Exponents[b] > 0) {
                text += names[b];
                appendExponent(text, x.Exponents[b]);
            }
        }
    } else if (negative > 0) {
        text += u"*1";
    }
    if (negative > 0) {
        text += negative == 1 ? u"/" : u"/(";
        for (BaseUnit b : kTextOrder) {
            if (x.Exponents[b] < 0) {
                text += names[b];
                appendExponent(text, WrapSub(0, x.Exponents[b]));
            }
        }
        if (negative > 1)
            text += u')';
    }
}

// The entry a quantity of x's dimension is written in: the first the formula named (Used),
// else the first of them all; nullptr when the table has none of that dimension.
const TSIVar* findSameUnitEntry(const TSIVarList& table, const TSINumber& x)
{
    std::int32_t i = table.FirstUsedOfDimension(x);
    if (i < 0)
        i = table.FirstOfDimension(x);
    return i < 0 ? nullptr : &table.Items[static_cast<std::size_t>(i)];
}

} // namespace

std::u16string ExponentStr(std::int32_t n)
{
    std::u16string text;
    appendExponent(text, n);
    return text;
}

std::u16string SiUnitToStr(const TSINumber& x)
{
    std::u16string text;
    composeUnit(text, x, kSymbols);
    return text;
}

std::u16string RealToText(double v)
{
    char buffer[400];
    char* end = generalText(buffer, buffer + sizeof buffer, v);
    std::u16string text;
    appendAscii(text, buffer, end);
    return text;
}

std::u16string FixedText(double v, std::int32_t decimals)
{
    char buffer[400];
    char* end = fixedText(buffer, buffer + sizeof buffer, v, decimals);
    std::u16string text;
    appendAscii(text, buffer, end);
    return text;
}

bool FindSameUnit(const TSIVarList& table, const TSINumber& x, TSIVar& u)
{
    const TSIVar* entry = findSameUnitEntry(table, x);
    u = entry ? *entry : TSIVar{SiOne, {}, false};
    return entry != nullptr;
}

double IntPow(std::int32_t n, double x)
{
    if (x == 0.0)
        return 0.0;
    // Exponents can reach billions; a factor of magnitude 1 stays put and any other one reaches
    // 0 or infinity long before, so the loop stops there instead of freezing the program.
    if (x == 1.0)
        return 1.0;
    if (x == -1.0)
        return n % 2 == 0 ? 1.0 : -1.0;
    double r = 1.0;
    if (n > 0) {
        for (std::int32_t i = 0; i < n && r != 0.0 && std::isfinite(r); ++i)
            r *= x;
    } else {
        for (std::int32_t i = 0; i > n && r != 0.0 && std::isfinite(r); --i)
            r /= x;
    }
    return r;
}

void UsedUnitToStr(const TSIVarList& table, const TSINumber& x, double& divisor,
                   std::u16string& text)
{
    static const TSIVar unnamed{SiOne, {}, false};
    // Each base dimension is written in its preferred unit, chosen as for a whole result.
    std::array<std::int32_t, BaseUnitCount> preferred{};
    table.PreferredBaseEntries(preferred);
    std::array<std::u16string_view, BaseUnitCount> names{};
    long double product = 1.0L;
    for (BaseUnit b : kTextOrder) {
        const TSIVar* unit =
            preferred[b] >= 0 ? &table.Items[static_cast<std::size_t>(preferred[b])] : &unnamed;
        const double factor = IntPow(x.Exponents[b], unit->Quantity.Value);
        if (std::fabs(factor) < 1e-22)
            throw QuorvelError(u"Zero Unit in UsedUnitToStr");
        product *= factor;
        names[b] = unit->Name;
    }
    divisor = static_cast<double>(product);
    if (std::fabs(divisor) < 1e-22)
        throw QuorvelError(u"Zero Unit in UsedUnitToStr");
    text.clear();
    composeUnit(text, x, names);
}

namespace {

// ShownUnit's unit: a table entry's name, read where it lies, or a unit composed into composed.
// Always inlined: as a call, once for every result, it cost more than its own work.
[[gnu::always_inline]] inline std::u16string_view
shownUnit(const TSIVarList& table, const TSINumber& x, double& divisor, std::u16string& composed)
{
    if (const TSIVar* u = findSameUnitEntry(table, x)) {
        divisor = u->Quantity.Value;
        if (divisor == 0.0)
            throw QuorvelError(u"Zero Unit in Strwandeln");
        return u->Name;
    }
    UsedUnitToStr(table, x, divisor, composed);
    return composed;
}

} // namespace

void ShownUnit(const TSIVarList& table, const TSINumber& x, double& divisor, std::u16string& text)
{
    std::u16string composed;
    text = shownUnit(table, x, divisor, composed);
}

std::u16string Strwandeln(const TSIVarList& table, const TSINumber& x, std::int32_t digits)
{
    std::u16string text;
    Strwandeln(table, x, digits, text);
    return text;
}

void Strwandeln(const TSIVarList& table, const TSINumber& x, std::int32_t digits,
                std::u16string& text)
{
    ShownParts parts;
    Strwandeln(table, x, digits, text, parts);
}

void Strwandeln(const TSIVarList& table, const TSINumber& x, std::int32_t digits,
                std::u16string& text, ShownParts& parts)
{
    std::u16string composed;
    double divisor = 1.0;
    const std::u16string_view unit = shownUnit(table, x, divisor, composed);
    const double v = x.Value / divisor;
    if (!std::isfinite(v))
        throw QuorvelError(u"Floating point overflow");

    char buffer[400];
    char* end = nullptr;
    if (digits == 0) {
        end = generalText(buffer, buffer + sizeof buffer, v);
    } else {
        const std::int32_t n =
            digits < 0 ? (digits < -kMaxFixedDecimals ? kMaxFixedDecimals : -digits) : digits;
        end = fixedText(buffer, buffer + sizeof buffer, v, n);
        if (digits > 0) {
            char general[400];
            char* generalEnd = generalText(general, general + sizeof general, v);
            if (end - buffer >= generalEnd - general)
                end = std::copy(general, generalEnd, buffer);
        }
    }
    // Number and unit written into one resize: text keeps its room from result to result.
    const auto length = static_cast<std::size_t>(end - buffer);
    text.resize(length + unit.size());
    std::copy(buffer, end, text.begin());
    std::copy(unit.begin(), unit.end(), text.begin() + static_cast<std::ptrdiff_t>(length));
    parts.divisor = divisor;
    parts.unitStart = length;
}

} // namespace quorvel
