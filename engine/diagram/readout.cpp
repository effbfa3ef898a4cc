// SPDX-License-Identifier: GPL-3.0-or-later
// The values of a diagram's curves at one x.
#include "engine/diagram/readout.h"

#include "engine/diagram/axis_numbers.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace quorvel {
namespace {

// A number and its unit as one quantity: «15m», but «5 1/m», which would read as 51 per metre.
std::u16string withUnit(const std::u16string& number, const std::u16string& unit)
{
    if (!unit.empty() && unit.front() >= u'0' && unit.front() <= u'9')
        return number + u' ' + unit;
    return number + unit;
}

double readBack(const std::u16string& text, double fallback)
{
    std::string ascii(text.begin(), text.end());
    double v = fallback;
    const auto [end, ec] = std::from_chars(ascii.data(), ascii.data() + ascii.size(), v);
    return ec == std::errc() && end == ascii.data() + ascii.size() ? v : fallback;
}

// The line's value at x, straight between the points around it; NaN at a break.
double interpolated(const CurveLine& line, double x)
{
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        const LinePoint a = line[i];
        const LinePoint b = line[i + 1];
        if ((x < a.x || x > b.x) && (x > a.x || x < b.x))
            continue;
        if (IsGap(a.y) || IsGap(b.y))
            return std::numeric_limits<double>::quiet_NaN();
        return a.x == b.x ? a.y : a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x);
    }
    return std::numeric_limits<double>::quiet_NaN();
}

} // namespace

std::u16string Reading::joined(std::u16string_view separator) const
{
    std::u16string text = xText;
    for (const CurveReading& curve : curves) {
        text += separator;
        text += curve.text;
    }
    return text;
}

std::u16string ReadingText(double v)
{
    if (!std::isfinite(v))
        return ShortestText(v);
    char buffer[32];
    const char* end =
        std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 6).ptr;
    std::u16string text;
    for (const char* p = buffer; p != end; ++p) {
        // «e+06» as «e6», «e-07» as «e-7»
        if (*p == '+' ||
            (*p == '0' && p - buffer >= 2 && (p[-1] == '+' || p[-1] == '-') && p[-2] == 'e'))
            continue;
        text += static_cast<char16_t>(*p);
    }
    return text;
}

Reading ReadAt(const DiagramData& data, double x, double step)
{
    Reading reading;
    const std::u16string shown = TickText(x, step);
    reading.x = readBack(shown, x);
    reading.xText = data.variable + u" = " + withUnit(shown, data.xUnit.name);
    reading.curves.reserve(data.curves.size());
    for (std::size_t c = 0; c < data.curves.size(); ++c) {
        const SampledCurve& curve = data.curves[c];
        CurveReading r;
        if (data.source) {
            r.y = data.source->value(c, reading.x);
        } else {
            CurveLine points;
            if (curve.line.empty()) {
                points.reserve(data.x.size());
                for (std::size_t i = 0; i < data.x.size() && i < curve.values.size(); ++i)
                    points.push_back({data.x[i], curve.values[i]});
            }
            r.y = interpolated(curve.line.empty() ? points : curve.line, reading.x);
        }
        const std::u16string& name = CurveName(curve);
        if (IsGap(r.y)) {
            r.text = name + u": kein Wert";
        } else {
            const double own = r.y * data.yUnit.divisor / curve.unit.divisor;
            r.text = name + u" = " + withUnit(ReadingText(own), curve.unit.name);
        }
        reading.curves.push_back(std::move(r));
    }
    return reading;
}

} // namespace quorvel
