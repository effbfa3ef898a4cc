// Number and unit texts of results.
#include "quantity/quantity_text.h"

#include "base/quorvel_error.h"

#include <charconv>
#include <cmath>
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
    out.append(begin, end);
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

// Writes the unit terms for exponents x with names[b] standing for base unit b.
std::u16string composeUnit(const TSINumber& x,
                           const std::array<std::u16string_view, BaseUnitCount>& names)
{
    std::u16string text;
    const int positive = SiPosCount(x);
    const int negative = SiNegCount(x);
    if (positive > 0) {
        for (BaseUnit b : kTextOrder) {
            if (x.Exponents[b] > 0) {
                text += names[b];
                text += ExponentStr(x.Exponents[b]);
            }
        }
    } else if (negative > 0) {
        text = u"*1";
    }
    if (negative > 0) {
        text += negative == 1 ? u"/" : u"/(";
        for (BaseUnit b : kTextOrder) {
            if (x.Exponents[b] < 0) {
                text += names[b];
                text += ExponentStr(WrapSub(0, x.Exponents[b]));
            }
        }
        if (negative > 1)
            text += u')';
    }
    return text;
}

const TSIVar* findSameUnitEntry(const TSiVarList& table, const TSINumber& x)
{
    const TSIVar* chosen = nullptr;
    for (std::int32_t i = 0; i < table.Count; ++i) {
        const TSIVar& entry = table.Items[static_cast<std::size_t>(i)];
        if (!SiSameUnit(x, entry.Quantity))
            continue;
        if (chosen == nullptr || (entry.Used && !chosen->Used))
            chosen = &entry;
    }
    return chosen;
}

} // namespace

std::u16string ExponentStr(std::int32_t n)
{
    switch (n) {
    case 1:
        return {};
    case 2:
        return u"\u00B2";
    case 3:
        return u"\u00B3";
    default: {
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
        std::u16string text = u"^";
        appendAscii(text, digits, end);
        return text;
    }
    }
}

std::u16string SiUnitToStr(const TSINumber& x)
{
    return composeUnit(x, kSymbols);
}

std::u16string RealToText(double v)
{
    char buffer[400];
    char* end = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 10).ptr;
    // Ten decimals always produce a point; strip the zeros behind it, then the point.
    while (end[-1] == '0')
        --end;
    if (end[-1] == '.')
        --end;
    dropNegativeZero(buffer, end);
    std::u16string text;
    appendAscii(text, buffer, end);
    return text;
}

std::u16string FixedText(double v, std::int32_t decimals)
{
    const int precision =
        decimals < 0 ? 0 : (decimals > kMaxFixedDecimals ? kMaxFixedDecimals : decimals);
    char buffer[400];
    char* end =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, precision).ptr;
    dropNegativeZero(buffer, end);
    std::u16string text;
    appendAscii(text, buffer, end);
    return text;
}

bool FindSameUnit(const TSiVarList& table, const TSINumber& x, TSIVar& u)
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

void UsedUnitToStr(const TSiVarList& table, const TSINumber& x, double& divisor,
                   std::u16string& text)
{
    static const TSIVar unnamed{SiOne, {}, false};
    std::array<std::u16string_view, BaseUnitCount> names{};
    long double product = 1.0L;
    for (BaseUnit b : kTextOrder) {
        TSINumber probe = SiOne;
        probe.Exponents[b] = 1;
        const TSIVar* unit = findSameUnitEntry(table, probe);
        if (unit == nullptr)
            unit = &unnamed;
        const double factor = IntPow(x.Exponents[b], unit->Quantity.Value);
        if (std::fabs(factor) < 1e-22)
            throw QuorvelError(u"Zero Unit in UsedUnitToStr");
        product *= factor;
        names[b] = unit->Name;
    }
    divisor = static_cast<double>(product);
    if (std::fabs(divisor) < 1e-22)
        throw QuorvelError(u"Zero Unit in UsedUnitToStr");
    text = composeUnit(x, names);
}

std::u16string Strwandeln(const TSiVarList& table, const TSINumber& x, std::int32_t digits)
{
    std::u16string unit;
    double divisor = 1.0;
    if (const TSIVar* u = findSameUnitEntry(table, x)) {
        unit = u->Name;
        divisor = u->Quantity.Value;
        if (divisor == 0.0)
            throw QuorvelError(u"Zero Unit in Strwandeln");
    } else {
        UsedUnitToStr(table, x, divisor, unit);
    }
    const double v = x.Value / divisor;
    if (!std::isfinite(v))
        throw QuorvelError(u"Floating point overflow");
    std::u16string number;
    if (digits == 0) {
        number = RealToText(v);
    } else {
        const std::int32_t n =
            digits < 0 ? (digits < -kMaxFixedDecimals ? kMaxFixedDecimals : -digits) : digits;
        std::u16string fixed = FixedText(v, n);
        if (digits < 0) {
            number = std::move(fixed);
        } else {
            std::u16string general = RealToText(v);
            number = fixed.size() < general.size() ? std::move(fixed) : std::move(general);
        }
    }
    return number + unit;
}

} // namespace quorvel
