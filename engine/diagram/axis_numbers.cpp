// SPDX-License-Identifier: GPL-3.0-or-later
// Round ticks and the texts of a diagram's numbers.
#include "engine/diagram/axis_numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace quorvel {
namespace {

// Labels are fixed-point between these magnitudes; beyond them the digits are hard to count.
constexpr double kLargeLabel = 1e7;
constexpr double kSmallLabel = 1e-4;
// Decimals a double can need: 17 significant digits, of which one stands before the point.
constexpr int kMaxFixedDecimals = 17;
constexpr int kMaxMantissaDecimals = 16;
// Multiples of a step beyond this count are no longer exact in a double once multiplied by 5.
constexpr double kExactMultiples = 1125899906842624.0; // 2^50

// k / 10^-e for negative e: 0.1 * 3 is 0.30000000000000004, 3 / 10 is the double nearest 0.3.
double scaled(double k, int exponent)
{
    return exponent >= 0 ? k * std::pow(10.0, exponent) : k / std::pow(10.0, -exponent);
}

struct Step
{
    double mantissa = 0.0; // 1, 2 or 5
    int exponent = 0;
};

Step roundStep(double lo, double hi, int maxTicks)
{
    if (!std::isfinite(lo) || !std::isfinite(hi))
        return {};
    // Halves first: the span of -1e308 to 1e308 is no double, its half is.
    const double half = std::fabs(hi * 0.5 - lo * 0.5);
    if (!(half > 0.0))
        return {};
    // A hair below the exact quotient, so that 0.00127 - 0.00123 in 4 steps stays a step of
    // 0.00001 although the difference comes out a little larger.
    double raw = half / (static_cast<double>(std::max(2, maxTicks) - 1) * 0.5) * (1.0 - 1e-9);
    raw = std::clamp(raw, std::numeric_limits<double>::min(), std::numeric_limits<double>::max());
    const int start = static_cast<int>(std::floor(std::log10(raw)));
    for (int exponent = start; exponent <= std::numeric_limits<double>::max_exponent10;
         ++exponent) {
        for (const double m : {1.0, 2.0, 5.0}) {
            const double size = scaled(m, exponent);
            if (std::isfinite(size) && size >= raw)
                return {m, exponent};
        }
    }
    return {1.0, std::numeric_limits<double>::max_exponent10};
}

// 10^e as the double nearest to it (std::pow may be an ulp off, and the label must read back).
double decade(int e)
{
    if (e < std::numeric_limits<double>::min_exponent10 - 16)
        return 0.0;
    if (e > std::numeric_limits<double>::max_exponent10)
        return std::numeric_limits<double>::infinity();
    char text[8] = "1e";
    const char* end = std::to_chars(text + 2, text + sizeof text, e).ptr;
    double value = 0.0;
    std::from_chars(text, end, value);
    return value;
}

// v in the form, "e+07" written as "e7" and "e-07" as "e-7", "-0" as "0".
std::u16string formatted(double v, bool scientific, int decimals)
{
    if (v == 0.0)
        return scientific || decimals == 0
                   ? u"0"
                   : u"0." + std::u16string(static_cast<std::size_t>(decimals), u'0');
    char buffer[400];
    const auto format = scientific ? std::chars_format::scientific : std::chars_format::fixed;
    const char* end = std::to_chars(buffer, buffer + sizeof buffer, v, format, decimals).ptr;
    std::u16string label;
    const char* p = buffer;
    while (p != end && *p != 'e')
        label += static_cast<char16_t>(*p++);
    if (p != end) {
        label += u'e';
        ++p;
        if (*p == '-')
            label += u'-';
        if (*p == '-' || *p == '+')
            ++p;
        while (p + 1 < end && *p == '0')
            ++p;
        while (p != end)
            label += static_cast<char16_t>(*p++);
    }
    // A value that rounds to zero is no negative number: «-0.00» reads «0.00».
    if (label.front() == u'-' && label.find_first_not_of(u"-0.") == std::u16string::npos)
        label.erase(0, 1);
    return label;
}

// Whether v written with these decimals reads back as v.
bool readsBack(double v, bool scientific, int decimals)
{
    char buffer[400];
    const auto format = scientific ? std::chars_format::scientific : std::chars_format::fixed;
    const char* end = std::to_chars(buffer, buffer + sizeof buffer, v, format, decimals).ptr;
    double back = 0.0;
    std::from_chars(buffer, end, back);
    return back == v;
}

// The fewest decimals with which v reads back, or -1 when none up to the most do.
int decimalsFor(double v, bool scientific)
{
    const int most = scientific ? kMaxMantissaDecimals : kMaxFixedDecimals;
    for (int d = 0; d <= most; ++d) {
        if (readsBack(v, scientific, d))
            return d;
    }
    return -1;
}

int decimalExponent(double magnitude)
{
    return static_cast<int>(std::floor(std::log10(magnitude)));
}

} // namespace

std::u16string ShortestText(double v)
{
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
    return {buffer, end};
}

void AppendShortest(std::string& out, double v)
{
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, v).ptr;
    out.append(buffer, end);
}

double TickStep(double lo, double hi, int maxTicks)
{
    const Step step = roundStep(lo, hi, maxTicks);
    return scaled(step.mantissa, step.exponent);
}

std::vector<double> AxisTicks(double lo, double hi, int maxTicks)
{
    if (lo > hi)
        std::swap(lo, hi);
    maxTicks = std::max(2, maxTicks);
    const Step step = roundStep(lo, hi, maxTicks);
    std::vector<double> ticks;
    if (step.mantissa == 0.0)
        return ticks;
    const double size = scaled(step.mantissa, step.exponent);
    // A tick a rounding error beyond an end still belongs to the axis: 0.3 / 0.1 is 2.999...
    constexpr double kSlack = 1e-9;
    const double first = std::ceil(lo / size - kSlack);
    const double last = std::floor(hi / size + kSlack);
    if (!(std::fabs(first) < kExactMultiples && std::fabs(last) < kExactMultiples))
        return {lo, hi}; // the step is a few units in the last place of the values
    const auto count = static_cast<std::int64_t>(last - first) + 1;
    for (std::int64_t i = 0; i < count && ticks.size() < static_cast<std::size_t>(maxTicks); ++i) {
        const double v = scaled((first + static_cast<double>(i)) * step.mantissa, step.exponent);
        if (ticks.empty() || v > ticks.back())
            ticks.push_back(v);
    }
    return ticks;
}

std::vector<double> LogAxisTicks(double lo, double hi, int maxTicks)
{
    if (lo > hi)
        std::swap(lo, hi);
    if (!(lo > 0.0) || !std::isfinite(hi) || !(hi > lo))
        return {};
    maxTicks = std::max(2, maxTicks);
    // log10 may miss a power of ten by an ulp either way: the decades are checked as numbers.
    int low = static_cast<int>(std::ceil(std::log10(lo)));
    int high = static_cast<int>(std::floor(std::log10(hi)));
    if (decade(low - 1) >= lo)
        --low;
    if (decade(low) < lo)
        ++low;
    if (decade(high + 1) <= hi)
        ++high;
    if (decade(high) > hi)
        --high;
    // Below 1e-307 the doubles lose digits: no decade is labelled there.
    low = std::max(low, std::numeric_limits<double>::min_exponent10);
    if (high - low < 1) {
        // Round steps within the decade; a logarithmic axis has no place for 0.
        std::vector<double> ticks = AxisTicks(lo, hi, maxTicks);
        std::erase_if(ticks, [](double t) { return !(t > 0.0); });
        return ticks;
    }
    // Every decade, or every 2nd, 5th, 10th, 20th ... (at most about 630 decades exist).
    int every = 1;
    const auto floorDiv = [](int a, int b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
    const auto countOf = [&](int n) { return floorDiv(high, n) - floorDiv(low - 1, n); };
    for (int power = 1; countOf(every) > maxTicks && every < 1000; power *= 10) {
        for (const int m : {2, 5, 10}) {
            every = m * power;
            if (countOf(every) <= maxTicks)
                break;
        }
    }
    std::vector<double> ticks;
    ticks.reserve(static_cast<std::size_t>(countOf(every)));
    for (int k = floorDiv(low - 1, every) + 1; k <= floorDiv(high, every); ++k)
        ticks.push_back(decade(k * every));
    return ticks;
}

std::vector<std::u16string> TickLabels(const std::vector<double>& ticks, bool decades)
{
    double largest = 0.0;
    for (const double t : ticks)
        largest = std::max(largest, std::fabs(t));
    bool scientific = !(largest == 0.0 || (largest < kLargeLabel && largest >= kSmallLabel));
    int decimals = 0;
    for (const double t : ticks) {
        const int d = std::isfinite(t) ? decimalsFor(t, scientific) : 0;
        if (d < 0) {
            scientific = true; // fixed-point cannot show it: every label in exponent form
            break;
        }
        decimals = std::max(decimals, d);
    }
    if (scientific) {
        decimals = 0;
        for (const double t : ticks) {
            if (std::isfinite(t))
                decimals = std::max(decimals, decimalsFor(t, true));
        }
    }
    std::vector<std::u16string> labels;
    labels.reserve(ticks.size());
    for (const double t : ticks) {
        if (!std::isfinite(t))
            labels.push_back(ShortestText(t));
        else if (decades)
            labels.push_back(formatted(t, scientific, std::max(0, decimalsFor(t, scientific))));
        else
            labels.push_back(formatted(t, scientific, decimals));
    }
    return labels;
}

std::u16string TickText(double value, double step)
{
    step = std::fabs(step);
    if (!std::isfinite(value) || !(step > 0.0) || !std::isfinite(step))
        return ShortestText(value);
    const double magnitude = std::fabs(value);
    const int stepExponent = static_cast<int>(std::floor(std::log10(step) + 1e-9));
    if (magnitude < kLargeLabel && (step >= kSmallLabel || magnitude >= kSmallLabel))
        return formatted(value, false, std::clamp(-stepExponent, 0, kMaxFixedDecimals));
    if (value == 0.0)
        return u"0";
    return formatted(
        value, true,
        std::clamp(decimalExponent(magnitude) - stepExponent, 0, kMaxMantissaDecimals));
}

} // namespace quorvel
