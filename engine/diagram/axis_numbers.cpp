// SPDX-License-Identifier: GPL-3.0-or-later
// Round ticks and the texts of a diagram's numbers.
#include "diagram/axis_numbers.h"

#include "quantity/quantity_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace quorvel {
namespace {

// Labels switch to exponent form beyond these magnitudes: more digits are hard to read.
constexpr double kLargeLabel = 1e7;
constexpr double kSmallStep = 1e-4;

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
    const double span = std::fabs(hi - lo);
    if (!(span > 0.0) || !std::isfinite(span))
        return {};
    // A hair below the exact quotient, so that 0.00127 - 0.00123 in 4 steps stays a step of
    // 0.00001 although the difference comes out a little larger.
    const double raw = span / std::max(1, maxTicks - 1) * (1.0 - 1e-9);
    int exponent = static_cast<int>(std::floor(std::log10(raw)));
    for (;;) {
        for (const double m : {1.0, 2.0, 5.0}) {
            if (scaled(m, exponent) >= raw)
                return {m, exponent};
        }
        ++exponent;
    }
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
    const Step step = roundStep(lo, hi, maxTicks);
    std::vector<double> ticks;
    if (step.mantissa == 0.0)
        return ticks;
    const double size = scaled(step.mantissa, step.exponent);
    // A tick a rounding error beyond an end still belongs to the axis: 0.3 / 0.1 is 2.999...
    constexpr double kSlack = 1e-9;
    const double first = std::ceil(lo / size - kSlack);
    const double last = std::floor(hi / size + kSlack);
    for (double k = first; k <= last && ticks.size() <= static_cast<std::size_t>(maxTicks); ++k) {
        const double v = scaled(k * step.mantissa, step.exponent);
        if (ticks.empty() || v > ticks.back())
            ticks.push_back(v);
    }
    return ticks;
}

std::u16string TickText(double value, double step)
{
    step = std::fabs(step);
    if (!std::isfinite(value) || !(step > 0.0) || !std::isfinite(step))
        return ShortestText(value);
    const double magnitude = std::fabs(value);
    if (magnitude < kLargeLabel && step >= kSmallStep) {
        const int decimals = std::max(0, static_cast<int>(std::ceil(-std::log10(step) - 1e-9)));
        return FixedText(value, decimals);
    }
    if (value == 0.0)
        return u"0";
    const int valueExponent = static_cast<int>(std::floor(std::log10(magnitude)));
    const int stepExponent = static_cast<int>(std::floor(std::log10(step) + 1e-9));
    const int precision = std::clamp(valueExponent - stepExponent, 0, 16);
    char buffer[48];
    char* end = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific,
                              precision)
                    .ptr;
    // «2.5e-07» is written «2.5e-7», «1.2e+07» «1.2e7».
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
    return label;
}

} // namespace quorvel
