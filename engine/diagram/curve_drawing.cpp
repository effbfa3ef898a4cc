// SPDX-License-Identifier: GPL-3.0-or-later
// A curve's polylines: clipping to the plot, breaks, and thinning to pixel columns.
#include "engine/diagram/curve_drawing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <utility>

namespace quorvel {
namespace {

// Coordinates are kept within this many plot sizes of the plot: a value near a pole lies
// millions of sizes away, and its segment's way into the plot does not change visibly.
constexpr double kFar = 1e6;
constexpr double kDash = 1.5; // half the length of the dash that shows a lone value

bool valid(PicturePoint p)
{
    return !std::isnan(p.x) && !std::isnan(p.y);
}

// From a line's values to picture positions.
class Placing
{
public:
    explicit Placing(const PlotFrame& f) : m_x(f.x, f.xScale), m_y(f.y, f.yScale), m_plot(f.plot) {}
    PicturePoint operator()(LinePoint p) const
    {
        const double fx = m_x.fraction(p.x);
        const double fy = m_y.fraction(p.y);
        if (std::isnan(fx) || std::isnan(fy))
            return {std::numeric_limits<double>::quiet_NaN(),
                    std::numeric_limits<double>::quiet_NaN()};
        return {m_plot.x + std::clamp(fx, -kFar, kFar) * m_plot.width,
                m_plot.bottom() - std::clamp(fy, -kFar, kFar) * m_plot.height};
    }

private:
    AxisMap m_x;
    AxisMap m_y;
    PictureRect m_plot;
};

// ThinToColumns as the points come: a million points of a curve are never held at once.
class ColumnThinner
{
public:
    ColumnThinner(std::vector<PicturePoint>& out, double columnsPerUnit, double offset)
        : m_out(out), m_columns(columnsPerUnit), m_offset(offset)
    {
    }

    void add(PicturePoint p)
    {
        if (!(m_columns > 0.0)) {
            m_out.push_back(p);
            return;
        }
        const double column = std::floor(p.x * m_columns + m_offset);
        if (m_open && column == m_column) {
            const std::size_t index = m_count++;
            if (p.y < m_low.y) {
                m_low = p;
                m_lowIndex = index;
            }
            if (p.y > m_high.y) {
                m_high = p;
                m_highIndex = index;
            }
            m_last = p;
            return;
        }
        finish();
        m_open = true;
        m_column = column;
        m_first = m_low = m_high = m_last = p;
        m_count = 1;
        m_lowIndex = m_highIndex = 0;
    }

    // The run of the last column into the output.
    void finish()
    {
        if (!m_open)
            return;
        m_open = false;
        const bool lowFirst = m_lowIndex <= m_highIndex;
        for (const PicturePoint& p :
             {m_first, lowFirst ? m_low : m_high, lowFirst ? m_high : m_low, m_last}) {
            if (m_out.empty() || m_out.back().x != p.x || m_out.back().y != p.y)
                m_out.push_back(p);
        }
    }

private:
    std::vector<PicturePoint>& m_out;
    double m_columns;
    double m_offset;
    bool m_open = false;
    double m_column = 0.0;
    PicturePoint m_first;
    PicturePoint m_low;
    PicturePoint m_high;
    PicturePoint m_last;
    std::size_t m_count = 0;
    std::size_t m_lowIndex = 0;
    std::size_t m_highIndex = 0;
};

// Liang-Barsky: the part of the segment a-b inside r as the parameters t0 <= t1 in [0, 1];
// false when nothing of it is inside.
bool clipSegment(PicturePoint a, PicturePoint b, const PictureRect& r, double& t0, double& t1)
{
    t0 = 0.0;
    t1 = 1.0;
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const std::array<double, 4> p = {-dx, dx, -dy, dy};
    const std::array<double, 4> q = {a.x - r.x, r.right() - a.x, a.y - r.y, r.bottom() - a.y};
    for (std::size_t i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
        if (t0 > t1)
            return false;
    }
    return true;
}

bool inside(PicturePoint p, const PictureRect& r)
{
    return p.x >= r.x && p.x <= r.right() && p.y >= r.y && p.y <= r.bottom();
}

// The index range of the line that can reach the visible x range: its x values are ordered
// (either way), so the ends are found by bisection, one point beyond each kept for the
// segments that enter the plot.
std::pair<std::size_t, std::size_t> visibleWindow(const CurveLine& line, const AxisRange& x)
{
    const std::size_t n = line.size();
    if (n < 2)
        return {0, n};
    const bool ascending = line.front().x <= line.back().x;
    const auto before = [&](const LinePoint& p, double v) { return ascending ? p.x < v : p.x > v; };
    const double first = ascending ? x.min : x.max;
    const double last = ascending ? x.max : x.min;
    const auto begin = std::lower_bound(line.begin(), line.end(), first, before);
    const auto end = std::lower_bound(begin, line.end(), last, [&](const LinePoint& p, double v) {
        return ascending ? p.x <= v : p.x >= v;
    });
    const auto from = static_cast<std::size_t>(begin - line.begin());
    const auto to = static_cast<std::size_t>(end - line.begin());
    return {from > 0 ? from - 1 : 0, std::min(n, to + 1)};
}

// Collects the stretches of one curve and turns them into picture items.
class Stroker
{
public:
    Stroker(std::vector<PictureItem>& items, const CurveStyle& style, double columnsPerUnit)
        : m_items(items), m_style(style), m_columns(columnsPerUnit),
          m_thinner(m_piece, columnsPerUnit, 0.0)
    {
    }

    // The piece of line drawn now, thinned as it grows.
    void add(PicturePoint p)
    {
        ++m_added;
        m_thinner.add(p);
    }

    void endPiece()
    {
        m_thinner.finish();
        std::vector<PicturePoint>& piece = m_piece;
        if (m_added >= 2) {
            const auto [least, most] = std::minmax_element(
                piece.begin(), piece.end(), [](auto a, auto b) { return a.y < b.y; });
            if (m_columns > 0.0 && column(piece.front()) == column(piece.back()) &&
                std::all_of(piece.begin(), piece.end(),
                            [&](PicturePoint p) { return column(p) == column(piece.front()); })) {
                stack(piece.front().x, least->y, most->y);
            } else {
                endStack();
                emit(std::exchange(piece, {}));
            }
        }
        piece.clear();
        m_added = 0;
    }

    // A lone value, or a stretch within one column: overlapping ones are one stroke.
    void stack(double x, double low, double high)
    {
        if (m_stacked && m_columns > 0.0 && std::floor(x * m_columns) == m_stackColumn &&
            low <= m_high + 1.0 && high >= m_low - 1.0) {
            m_low = std::min(m_low, low);
            m_high = std::max(m_high, high);
            return;
        }
        endStack();
        m_stacked = true;
        m_stackColumn = std::floor(x * m_columns);
        m_x = x;
        m_low = low;
        m_high = high;
    }

    void endStack()
    {
        if (!m_stacked)
            return;
        m_stacked = false;
        if (m_high - m_low < 1.0) {
            const double y = m_low * 0.5 + m_high * 0.5;
            emit({{m_x - kDash, y}, {m_x + kDash, y}});
        } else {
            emit({{m_x, m_low}, {m_x, m_high}});
        }
    }

private:
    double column(PicturePoint p) const { return std::floor(p.x * m_columns); }

    void emit(std::vector<PicturePoint> points)
    {
        PolylineItem line;
        line.points = std::move(points);
        line.colour = m_style.colour;
        line.width = m_style.width;
        line.dashed = m_style.dashed;
        line.role = ItemRole::Curve;
        m_items.emplace_back(std::move(line));
    }

    std::vector<PictureItem>& m_items;
    CurveStyle m_style;
    double m_columns;
    std::vector<PicturePoint> m_piece;
    std::size_t m_added = 0; // points of the piece before thinning
    ColumnThinner m_thinner;
    bool m_stacked = false;
    double m_stackColumn = 0.0;
    double m_x = 0.0;
    double m_low = 0.0;
    double m_high = 0.0;
};

} // namespace

void ThinToColumns(std::vector<PicturePoint>& points, double columnsPerUnit, double offset)
{
    if (!(columnsPerUnit > 0.0) || points.size() < 3)
        return;
    std::vector<PicturePoint> kept;
    ColumnThinner thinner(kept, columnsPerUnit, offset);
    for (const PicturePoint& p : points)
        thinner.add(p);
    thinner.finish();
    points = std::move(kept);
}

void AddCurveItems(std::vector<PictureItem>& items, const PlotFrame& frame, const CurveLine& line,
                   const CurveStyle& style, double columnsPerUnit)
{
    const auto [from, to] = visibleWindow(line, frame.x);
    const Placing place(frame);
    const std::size_t n = to - from;
    const PictureRect& plot = frame.plot;
    Stroker stroker(items, style, columnsPerUnit);
    bool open = false; // the piece's last point is where the next segment starts
    // Each point is placed once, as the next one of the point before.
    PicturePoint next = n > 0 ? place(line[from]) : PicturePoint{};
    bool validBefore = false;
    for (std::size_t i = 0; i < n; ++i) {
        const PicturePoint a = next;
        const bool last = i + 1 >= n;
        if (!last)
            next = place(line[from + i + 1]);
        const bool firstOfStretch = !validBefore;
        validBefore = valid(a);
        if (!valid(a)) {
            stroker.endPiece();
            open = false;
            continue;
        }
        const bool lastOfStretch = last || !valid(next);
        if (firstOfStretch && lastOfStretch) {
            // A point between two breaks is still a value: a short dash shows it.
            if (inside(a, plot))
                stroker.stack(a.x, a.y, a.y);
            continue;
        }
        if (lastOfStretch)
            continue; // the segment to it was drawn from the point before
        const PicturePoint b = next;
        double t0 = 0.0;
        double t1 = 1.0;
        // Most segments lie inside, where clipping keeps them whole: no divisions for them.
        if (!(inside(a, plot) && inside(b, plot)) && !clipSegment(a, b, plot, t0, t1)) {
            stroker.endPiece();
            open = false;
            continue;
        }
        const PicturePoint start{a.x + t0 * (b.x - a.x), a.y + t0 * (b.y - a.y)};
        const PicturePoint end{a.x + t1 * (b.x - a.x), a.y + t1 * (b.y - a.y)};
        if (!open || t0 > 0.0) {
            stroker.endPiece();
            stroker.add(start);
        }
        stroker.add(end);
        open = t1 >= 1.0;
        if (!open)
            stroker.endPiece();
    }
    stroker.endPiece();
    stroker.endStack();
}

} // namespace quorvel
