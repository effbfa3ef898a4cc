// SPDX-License-Identifier: GPL-3.0-or-later
// Adaptive sampling between the evenly spaced points of a curve.
#include "engine/diagram/curve_refinement.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace quorvel {
namespace {

// Halvings of one segment: a step of the request becomes 1/16384 of itself, which is finer
// than any screen shows and costs at most 14 evaluations on the way into a pole.
constexpr int kDepth = 14;
// A jump worth a closer look: this share of the band's height ...
constexpr double kJump = 0.02;
// ... and this many times the larger of the neighbouring segments' jumps.
constexpr double kNeighbours = 3.0;
// At the finest level a jump that kept this share of its parent's is a step, not a slope: a
// slope halves its jump with every halving, a step keeps it, a pole makes it grow.
constexpr double kKept = 0.75;
// Values whose spread is below this share of their size are constant but for rounding.
constexpr double kConstant = 1e-11;
// A peak beyond the band whose top grows by this factor while it is closed in is a pole.
constexpr double kDiverging = 64.0;

constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

bool hasValue(double v)
{
    return std::isfinite(v);
}

class Refiner
{
public:
    Refiner(const ValueBand& band, bool geometric, const std::function<double(double)>& f,
            std::size_t budget)
        : m_band(band), m_geometric(geometric), m_f(f), m_budget(budget),
          m_jump(2.0 * kJump * (band.high * 0.5 - band.low * 0.5))
    {
    }

    std::int32_t poles = 0;

    double mid(double a, double b) const
    {
        return m_geometric ? std::sqrt(a) * std::sqrt(b) : a * 0.5 + b * 0.5;
    }
    bool above(double v) const { return v > m_band.high; }
    bool below(double v) const { return v < m_band.low; }
    bool outside(double v) const { return above(v) || below(v); }
    // Beyond the band on one side: clipped at the same edge, nothing to see in between.
    bool beyondTogether(double a, double b) const
    {
        return (above(a) && above(b)) || (below(a) && below(b));
    }
    bool jumpy(double a, double b) const
    {
        return std::fabs(b - a) > m_jump && !beyondTogether(a, b);
    }
    bool divisible(double a, double b) const
    {
        const double m = mid(a, b);
        return m != a && m != b;
    }

    bool large(double jump) const { return jump > m_jump; }

    // The points strictly between a and b, both with values, where the segment jumps (or,
    // forced, where it holds a peak between neighbours that run towards it).
    void segment(LinePoint a, LinePoint b, CurveLine& out, bool forced = false)
    {
        if ((forced || jumpy(a.y, b.y)) && divisible(a.x, b.x))
            bisect(a, b, 0, out);
    }

    // A peak beyond the band between a and b, whose neighbours run towards it: closed in from
    // the higher side. A top that keeps growing is a pole, and the line is broken there.
    void peak(LinePoint a, LinePoint b, CurveLine& out)
    {
        const double start = std::max(std::fabs(a.y), std::fabs(b.y));
        double top = start;
        for (int level = 0; level < kDepth && divisible(a.x, b.x) && take(); ++level) {
            const LinePoint m{mid(a.x, b.x), m_f(mid(a.x, b.x))};
            if (!hasValue(m.y))
                return; // a gap: the line is broken there already
            top = std::max(top, std::fabs(m.y));
            if (std::fabs(a.y) > std::fabs(b.y))
                b = m;
            else
                a = m;
        }
        if (top > kDiverging * start) {
            out.push_back({mid(a.x, b.x), kNoValue});
            ++poles;
        }
    }

    // The points between a (with a value) and the gap g that follows it, closing in on g.
    // True when the values run beyond the band on the way: the gap is a pole.
    bool towardGap(LinePoint a, double g, CurveLine& out)
    {
        LinePoint last = a;
        for (int level = 0; level < kDepth && divisible(last.x, g) && take(); ++level) {
            const LinePoint m{mid(last.x, g), m_f(mid(last.x, g))};
            if (!hasValue(m.y)) {
                g = m.x;
                continue;
            }
            segment(last, m, out);
            out.push_back(m);
            last = m;
        }
        return last.x != a.x && outside(last.y);
    }

    // The points between the gap g and b (with a value) that follows it, in order; true when
    // the values run beyond the band on the way.
    bool fromGap(double g, LinePoint b, CurveLine& out)
    {
        std::vector<CurveLine> pieces; // found from b towards g
        LinePoint last = b;
        for (int level = 0; level < kDepth && divisible(g, last.x) && take(); ++level) {
            const LinePoint m{mid(g, last.x), m_f(mid(g, last.x))};
            if (!hasValue(m.y)) {
                g = m.x;
                continue;
            }
            CurveLine piece{m};
            segment(m, last, piece);
            pieces.push_back(std::move(piece));
            last = m;
        }
        for (auto piece = pieces.rbegin(); piece != pieces.rend(); ++piece)
            out.insert(out.end(), piece->begin(), piece->end());
        return last.x != b.x && outside(last.y);
    }

private:
    bool take()
    {
        if (m_budget == 0)
            return false;
        --m_budget;
        return true;
    }

    void bisect(LinePoint a, LinePoint b, int depth, CurveLine& out)
    {
        if (!take())
            return; // out of evaluations: joined
        const LinePoint m{mid(a.x, b.x), m_f(mid(a.x, b.x))};
        if (!hasValue(m.y)) {
            // One gap, one pole, whichever side diverges.
            const bool before = towardGap(a, m.x, out);
            out.push_back({m.x, kNoValue});
            const bool after = fromGap(m.x, b, out);
            poles += before || after ? 1 : 0;
            return;
        }
        const double jump = std::fabs(b.y - a.y);
        half(a, m, depth, jump, out);
        out.push_back(m);
        half(m, b, depth, jump, out);
    }

    void half(LinePoint a, LinePoint b, int depth, double parentJump, CurveLine& out)
    {
        if (!jumpy(a.y, b.y))
            return;
        if (depth + 1 < kDepth && divisible(a.x, b.x)) {
            bisect(a, b, depth + 1, out);
            return;
        }
        if (std::fabs(b.y - a.y) > kKept * parentJump) {
            out.push_back({mid(a.x, b.x), kNoValue});
            if (outside(a.y) && outside(b.y))
                ++poles;
        }
    }

    ValueBand m_band;
    bool m_geometric;
    const std::function<double(double)>& m_f;
    std::size_t m_budget;
    double m_jump;
};

} // namespace

ValueBand BulkBand(const std::vector<double>& values)
{
    // Percentiles of a few thousand values spread over the curve are those of all of them, as
    // far as a band needs: a million points cost no more than 8192.
    constexpr std::size_t kSample = 8192;
    const std::size_t stride = std::max<std::size_t>(1, values.size() / kSample);
    std::vector<double> v;
    v.reserve(values.size() / stride + 1);
    for (std::size_t i = 0; i < values.size(); i += stride) {
        if (hasValue(values[i]))
            v.push_back(values[i]);
    }
    if (v.empty())
        return {};
    const std::size_t last = v.size() - 1;
    const auto low = v.begin() + static_cast<std::ptrdiff_t>(last * 5 / 100);
    std::nth_element(v.begin(), low, v.end());
    const double p5 = *low;
    const auto high = v.begin() + static_cast<std::ptrdiff_t>(last - last * 5 / 100);
    std::nth_element(low, high, v.end());
    const double p95 = *high;
    const double half = p95 * 0.5 - p5 * 0.5; // half the bulk's height, never overflowing
    if (half <= kConstant * std::max(std::fabs(p5), std::fabs(p95)) * 0.5 || !(half > 0.0))
        return {p5 * 0.5 + p95 * 0.5, p5 * 0.5 + p95 * 0.5};
    constexpr double kMost = std::numeric_limits<double>::max();
    return {std::max(-kMost, p5 - half), std::min(kMost, p95 + half)};
}

std::size_t RefinementBudget(std::size_t n)
{
    return std::clamp<std::size_t>(n, 4096, 65536);
}

RefinedLine RefineCurve(const std::vector<double>& xs, const std::vector<double>& ys,
                        const ValueBand& band, bool geometric,
                        const std::function<double(double)>& f, std::size_t budget)
{
    RefinedLine result;
    const std::size_t n = std::min(xs.size(), ys.size());
    CurveLine& out = result.line;
    out.reserve(n + n / 8 + 64);
    // Values constant but for rounding have nothing to refine.
    const bool constant = !(band.high > band.low);
    Refiner refiner(band, geometric, f, constant ? 0 : budget);
    const auto jumpAt = [&](std::size_t i) {
        return hasValue(ys[i]) && hasValue(ys[i + 1]) ? std::fabs(ys[i + 1] - ys[i]) : 0.0;
    };
    const auto rising = [&](std::size_t i) { return ys[i + 1] - ys[i]; };
    // The larger jump of the two segments before segment i, and of the two after it.
    const auto jumpsBefore = [&](std::size_t i) {
        return std::max(i > 0 ? jumpAt(i - 1) : 0.0, i > 1 ? jumpAt(i - 2) : 0.0);
    };
    const auto jumpsAfter = [&](std::size_t i) {
        return std::max(i + 2 < n ? jumpAt(i + 1) : 0.0, i + 3 < n ? jumpAt(i + 2) : 0.0);
    };
    bool gapPole = false; // the gap being passed was approached by diverging values
    for (std::size_t i = 0; i < n; ++i) {
        out.push_back({xs[i], hasValue(ys[i]) ? ys[i] : kNoValue});
        if (i + 1 == n || constant)
            continue;
        const LinePoint a{xs[i], ys[i]};
        const LinePoint b{xs[i + 1], ys[i + 1]};
        if (hasValue(a.y) && !hasValue(b.y)) {
            gapPole = refiner.towardGap(a, b.x, out);
            continue;
        }
        if (!hasValue(a.y) && hasValue(b.y)) {
            const bool diverging = refiner.fromGap(a.x, b, out);
            refiner.poles += gapPole || diverging ? 1 : 0;
            gapPole = false;
            continue;
        }
        if (!hasValue(a.y))
            continue;
        const double before = i > 0 ? jumpAt(i - 1) : 0.0;
        const double after = i + 2 < n ? jumpAt(i + 1) : 0.0;
        // Most segments of most curves: nothing jumps here or next to here.
        if (!refiner.large(std::max({before, jumpAt(i), after})))
            continue;
        // The neighbourhood of a segment: the smaller of the largest jumps on either side, so
        // that the two halves of one steep rise do not excuse each other; a segment at an end
        // has one side, and two points alone have none to compare with: their jump is looked
        // at closely, as a line of two points may hide anything, a pole too.
        const double neighbourhood = i == 0       ? (n > 2 ? jumpsAfter(i) : 0.0)
                                     : i + 2 == n ? jumpsBefore(i)
                                                  : std::min(jumpsBefore(i), jumpsAfter(i));
        // Neighbours that run towards each other enclose a peak or a pole.
        const bool enclosing = i > 0 && i + 2 < n && jumpAt(i - 1) > 0.0 && jumpAt(i + 1) > 0.0 &&
                               (rising(i - 1) > 0.0) != (rising(i + 1) > 0.0);
        if (enclosing && refiner.large(std::max(before, after))) {
            if (refiner.beyondTogether(a.y, b.y))
                refiner.peak(a, b, out);
            else
                refiner.segment(a, b, out, true);
            continue;
        }
        if (!refiner.jumpy(a.y, b.y))
            continue;
        const bool throughInfinity =
            (a.y < 0.0) != (b.y < 0.0) && refiner.outside(a.y) && refiner.outside(b.y);
        if (jumpAt(i) > kNeighbours * neighbourhood || throughInfinity)
            refiner.segment(a, b, out);
    }
    result.poles = refiner.poles + (gapPole ? 1 : 0);
    return result;
}

} // namespace quorvel
