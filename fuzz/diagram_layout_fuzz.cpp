// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary bytes as the numbers of a diagram (the doubles of the visible
// ranges, the points and the values, NaN and infinities included) laid out as a picture. The
// layout must end, with a bounded number of ticks whose labels read back as the ticks, and
// draw no curve outside its plot.
// Findings: a crash, a hang (a loop over a floating-point counter), a broken rule below, or
// undefined behaviour.
#include "fuzz/fuzz_checks.h"

#include "engine/diagram/axis_numbers.h"
#include "engine/diagram/diagram_layout.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

using namespace quorvel;

using fuzz::check;

class Numbers
{
public:
    Numbers(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    bool more() const { return m_at + sizeof(double) <= m_size; }
    double next()
    {
        double v = 0.0;
        if (more())
            std::memcpy(&v, m_data + m_at, sizeof v);
        m_at += sizeof v;
        return v;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_at = 0;
};

void checkTicks(double lo, double hi, int most, bool log)
{
    const std::vector<double> ticks = log ? LogAxisTicks(lo, hi, most) : AxisTicks(lo, hi, most);
    check(ticks.size() <= static_cast<std::size_t>(most));
    const std::vector<std::u16string> labels = TickLabels(ticks);
    for (std::size_t i = 0; i < ticks.size(); ++i) {
        check(i == 0 || ticks[i - 1] < ticks[i]);
        const std::string text(labels[i].begin(), labels[i].end());
        double back = 0.0;
        std::from_chars(text.data(), text.data() + text.size(), back);
        check(back == ticks[i]);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const bool logX = (data[0] & 1) != 0;
    const bool logY = (data[0] & 2) != 0;
    const int most = 2 + data[1] % 40;
    Numbers numbers(data + 2, size - 2);
    const AxisRange x{numbers.next(), numbers.next()};
    const AxisRange y{numbers.next(), numbers.next()};
    if (std::isfinite(x.min) && std::isfinite(x.max) && x.min <= x.max)
        checkTicks(x.min, x.max, most, logX && x.min > 0.0);

    DiagramData d;
    d.variable = u"x";
    d.xScale = logX ? AxisScale::Logarithmic : AxisScale::Linear;
    d.yScale = logY ? AxisScale::Logarithmic : AxisScale::Linear;
    SampledCurve curve;
    curve.formula = u"f";
    curve.poles = data[0] >> 7;
    while (numbers.more() && d.x.size() < 64) {
        d.x.push_back(numbers.next());
        curve.values.push_back(numbers.next());
    }
    // The points of a diagram are finite and ordered; its values may be anything.
    if (std::any_of(d.x.begin(), d.x.end(),
                    [&](double v) { return !std::isfinite(v) || (logX && !(v > 0.0)); }) ||
        !std::is_sorted(d.x.begin(), d.x.end()))
        d.x.assign(curve.values.size(), logX ? 1.0 : 0.0);
    d.curves.push_back(curve);

    LayoutOptions options;
    options.width = 50.0 + data[0];
    options.height = 40.0 + data[1];
    if ((data[0] & 4) != 0) {
        options.x = x;
        options.y = y;
    }
    const DiagramLayout l = LayoutDiagram(d, options);
    std::size_t ticks = 0;
    for (const PictureItem& item : l.picture.items) {
        if (const auto* line = std::get_if<LineItem>(&item); line && line->role == ItemRole::Tick)
            ++ticks;
        if (const auto* poly = std::get_if<PolylineItem>(&item);
            poly && poly->role == ItemRole::Curve) {
            for (const PicturePoint& p : poly->points)
                check(p.x >= l.plot.x - 2.0 && p.x <= l.plot.right() + 2.0 &&
                      p.y >= l.plot.y - 0.01 && p.y <= l.plot.bottom() + 0.01);
        }
    }
    check(ticks <= 80);
    return 0;
}
